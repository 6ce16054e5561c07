#include "ui/interface.h"

namespace {

// Storage for the program's record that is built at compile time and whose
// destructor never runs: code that runs during exit still finds it whole.
union ProgramRecord {
    Interface record;
    constexpr ProgramRecord() : record() {}
    ~ProgramRecord() {}
};
constinit ProgramRecord programRecord;

}  // namespace

constinit Interface* interface = &programRecord.record;

Interface* NewInterfaceStruct() {
    return new Interface;
}
