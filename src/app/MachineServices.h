#pragma once
// The editor's services on this machine: its current directory, its registry
// for the publication, its connection opener and its clock. The program picks
// them here; tests hand the editor their own.
#include "editor/MainForm.h"

namespace kvr {

MainFormServices MachineServices();

}  // namespace kvr
