// The check shared by the DXF and QLI harnesses: runs one importer on the
// input and, when it reports success, loads its output with the pattern
// reader. A conversion that succeeds must give a file the pattern reader
// accepts, unless the drawing held no point at all.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>

// importer is ConvertDXF or ImportQLI; success is the importer's success
// result (0 and 1 respectively).
void RunImporter(int (*importer)(FILE*, FILE*), int success, const uint8_t* data, size_t size);
