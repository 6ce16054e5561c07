// Point chains: the pieces of a drawing being imported. Each accepted entity of
// a drawing becomes one chain of points in drawing order; the importers then
// move the whole drawing to the origin, flip it so that the drawing's upward y
// becomes the quilt's y toward the front of the table, and write the chains as
// pattern-file lines. Chains only ever grow at the end of the last chain, so all
// points live in one array and a chain is a range of it.
#pragma once

#include <cstddef>
#include <cstdio>
#include <string>
#include <vector>

#include "pattern/import/import_support.h"

struct ChainPoint {
    double x;  // inches
    double y;  // inches
};

struct ChainList {
    std::vector<ChainPoint> points;   // every point of every chain, chain after chain
    std::vector<std::size_t> starts;  // index of each chain's first point; one chain at start
    std::size_t pointLimit = kMaxDrawingPoints;
    bool overflow = false;  // a point was refused because pointLimit was reached
};

// Resets the list to one empty chain. Called at the start of every import.
void InitChainList(ChainList& list);
// Number of chains, and the points of chain i as [begin, end) indices.
std::size_t ChainCount(const ChainList& list);
std::size_t ChainBegin(const ChainList& list, std::size_t chain);
std::size_t ChainEnd(const ChainList& list, std::size_t chain);
// Opens a new chain when the last one already holds points (an entity of a
// drawing starts its own chain).
void OpenChainIfUsed(ChainList& list);
// Opens a new chain unconditionally (the QLI importer's new-chain flag).
void OpenChain(ChainList& list);
// Appends a point to the last chain. Returns false (and sets overflow) when the
// list already holds pointLimit points.
bool newPoint(ChainList& list, double x, double y);
// Drops every chain without points; the order of the others is kept.
void DropEmptyChains(ChainList& list);

// Angular step between points of an arc of the given radius: 0.1 inch of arc,
// but never finer than kMaxArcPoints points over max(sweep, one full turn).
double ArcStep(double radius, double sweepRadians);
// Adds a full circle to the last chain: points at 0, step, 2 step ... up to 2 pi,
// then the point at 2 pi which closes it. Returns false when the list is full.
bool AddCirclePoints(ChainList& list, double cx, double cy, double radius);
// Adds a counterclockwise arc from startDegrees to endDegrees (an end below the
// start wraps through 0 degrees) ending exactly at the end angle. Angles outside
// 0..360 are brought into that range first. Returns false when the list is full.
bool AddArcPoints(ChainList& list, double cx, double cy, double radius, double startDegrees,
                  double endDegrees);

// The closing phases of every import: drops empty chains, finds the bounds over
// all points (a coordinate equal to 99999.0 is left out), moves the drawing to
// the origin and turns every y into height - y, each phase shown in the progress
// window and advancing it once per point. Returns true when the drawing is ready
// to write; false with error set (when it is still empty) when STOP was pressed,
// the drawing is larger than a pattern can hold, or a point left out of the
// bounds lands outside that range. Called by both importers.
bool PlaceDrawing(ChainList& list, ImportProgress& progress, std::string& error);

// Writes the points of one chain as "p X%0.3f Y%0.3f" lines, from its first point
// forward or from its last point backward. Returns false when STOP was pressed.
bool WriteChainPoints(FILE* target, const ChainList& list, std::size_t chain, bool reversed,
                      ImportProgress& progress);
