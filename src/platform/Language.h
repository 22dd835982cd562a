#pragma once
// The user's language, as the machine states it.
namespace kvr::platform {

// Whether the user reads Traditional Chinese: a zh_TW, zh_HK or zh_MO locale
// (or a Hant script) in LC_ALL, LC_MESSAGES or LANG, the first one set, here;
// the user's interface language on Windows.
bool UserReadsTraditionalChinese();

}  // namespace kvr::platform
