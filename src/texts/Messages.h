#pragma once
// Our texts that both the window and kvrcfg show, written once here.
#include "texts/Texts.h"

namespace kvr::texts {

inline constexpr SourceText kNameTaken =
    KVR_TEXT("Alias", "Alias [%1] exists already: alias %2 cannot take its name.");
inline constexpr SourceText kNoServerName = KVR_TEXT("ConnectionTest", "No server name was given.");
inline constexpr SourceText kTooLong =
    KVR_TEXT("Alias", "%1 is too long to save: at most %2 bytes, it has %3. No field was written.");

}  // namespace kvr::texts
