#pragma once
// The publication of the machine settings where the user may lack the rights
// to write them: a work directory that did not reach the registry is reported
// (the first activation shows it once, in the error box) instead of passing
// unnoticed.
#include <functional>
#include <optional>
#include <string>

#include "editor/MainView.h"

namespace kvr {

using Publish = std::function<void(const std::string& workDir)>;

// publish, then a check that the registry now holds workDir as the published
// work directory (publishedWorkDir reads it back); when it does not, throws
// Error with the text of PublicationRefusedText in the user's language.
Publish CheckedPublication(Publish publish,
                           std::function<std::optional<std::string>()> publishedWorkDir,
                           std::function<std::u16string(SourceText)> translate);

SourceText PublicationRefusedText();

}  // namespace kvr
