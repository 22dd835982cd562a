#pragma once
// The publication of the machine settings where the user may lack the rights
// to write them: a work directory that did not reach the registry is reported
// (the first activation shows it once, in the error box) instead of passing
// unnoticed.
#include "editor/MainView.h"

namespace kvr {

SourceText PublicationRefusedText();

}  // namespace kvr
