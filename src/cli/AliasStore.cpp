#include "cli/AliasStore.h"

#include <utility>

#include "platform/Errors.h"
#include "platform/Files.h"
#include "platform/Text.h"
#include "store/AliasName.h"
#include "store/Cencrpyt.h"
#include "store/KeyStamp.h"
#include "texts/FileErrors.h"
#include "texts/Messages.h"
#include "texts/Texts.h"

namespace kvr::cli {

namespace {

constexpr SourceText kMissing = KVR_TEXT("kvrcfg", "Alias [%1] does not exist.");
constexpr SourceText kExists = KVR_TEXT("kvrcfg", "Alias [%1] exists already.");

std::string Utf8(std::string_view ansi) {
    return platform::Utf16ToUtf8(platform::AnsiToUnicode(ansi));
}

std::string Utf8(const char16_t* text) {
    return platform::Utf16ToUtf8(text);
}

// The four values as stored under one key.
Fields Encoded(const Fields& values, const std::string& key) {
    const CEncrpyt cipher;
    Fields stored;
    for (std::size_t i = 0; i < kFields.size(); ++i) {
        stored[i] = cipher.Encrypt(key, values[i]);
    }
    return stored;
}

}  // namespace

AliasStore::AliasStore(std::string workDir, platform::FileSystem& fs)
    : fs_(&fs), file_(std::move(workDir), fs) {}

bool AliasStore::Exists() const {
    std::string bytes;
    switch (platform::ReadWholeFile(*fs_, Path(), bytes)) {
        case platform::ReadStatus::Ok:
            return true;
        case platform::ReadStatus::Missing:
            return false;
        case platform::ReadStatus::Unreadable:
            break;
    }
    throw FileError(texts::WithReadCause("Cannot open file " + Path(), Path()));
}

std::string AliasStore::Bytes() const {
    std::string bytes;
    if (platform::ReadWholeFile(*fs_, Path(), bytes) != platform::ReadStatus::Ok) {
        throw FileError(texts::WithReadCause("Cannot open file " + Path(), Path()));
    }
    return bytes;
}

std::vector<std::string> AliasStore::Names() {
    if (!Exists()) {
        return {};
    }
    return file_.ListAliases();
}

std::optional<std::string> AliasStore::Find(std::string_view name) {
    const platform::IgnoreCaseText wanted(name);
    for (std::string& listed : Names()) {
        if (wanted.Matches(listed)) {
            return std::move(listed);
        }
    }
    return std::nullopt;
}

std::string AliasStore::Require(std::string_view name) {
    if (auto found = Find(name)) {
        return *found;
    }
    throw Refusal(texts::Say(kMissing, {Utf8(name)}));
}

std::vector<std::pair<std::string, Fields>> AliasStore::ReadAll() {
    const CEncrpyt cipher;
    return file_.ReadAllAliases([&](const std::string& name, std::string_view stored) {
        try {
            return cipher.Decrypt(stored);
        } catch (const ConvertError& e) {
            throw ConvertError("KVR別名[" + Utf8(name) + "]: " + e.what());
        }
    });
}

Fields AliasStore::ReadStored(const std::string& alias) {
    return file_.ReadAliasFields(alias);
}

Fields AliasStore::ReadValues(const std::string& alias) {
    const CEncrpyt cipher;
    Fields values = ReadStored(alias);
    for (std::string& value : values) {
        value = cipher.Decrypt(value);
    }
    return values;
}

bool AliasStore::WriteValues(const std::string& alias, const Fields& values,
                             const Fields* expected) {
    if (auto unfit = FirstUnfitValue(values)) {
        CheckValue(*unfit, values[*unfit]);
    }
    switch (file_.SaveAliasFields(alias, Encoded(values, KeyStamp()), expected)) {
        case AliasFile::SaveResult::Saved:
            return true;
        case AliasFile::SaveResult::Changed:
            return false;
        case AliasFile::SaveResult::Missing:
            break;
    }
    throw Refusal(texts::Say(kMissing, {Utf8(alias)}));
}

bool AliasStore::WriteMany(const std::vector<std::pair<std::string, Fields>>& aliases,
                           const std::vector<std::string>& deletions, const std::string* expected) {
    const std::string key = KeyStamp();
    std::vector<std::pair<std::string, Fields>> stored;
    stored.reserve(aliases.size());
    for (const auto& [name, values] : aliases) {
        CheckName(name);
        if (auto unfit = FirstUnfitValue(values)) {
            CheckValue(*unfit, values[*unfit]);
        }
        stored.emplace_back(name, Encoded(values, key));
    }
    return file_.WriteAliases(stored, deletions, expected);
}

void AliasStore::Add(const std::string& name) {
    CheckName(name);
    if (auto existing = Find(name)) {
        throw Refusal(texts::Say(kExists, {Utf8(*existing)}));
    }
    if (!Exists()) {
        file_.ListAliases();  // creates the empty file
    }
    file_.AddAliasHeader(name);
}

void AliasStore::Rename(const std::string& oldName, const std::string& newName) {
    CheckName(newName);
    switch (file_.RenameAlias(oldName, newName)) {
        case AliasFile::RenameResult::Renamed:
            return;
        case AliasFile::RenameResult::NameTaken:
            throw Refusal(texts::Say(texts::kNameTaken,
                                     {Utf8(Find(newName).value_or(newName)), Utf8(oldName)}));
        case AliasFile::RenameResult::Missing:
            break;
    }
    throw Refusal(texts::Say(kMissing, {Utf8(oldName)}));
}

void AliasStore::Delete(const std::string& name) {
    file_.DeleteAliasSection(name);
}

void AliasStore::CheckName(std::string_view name) {
    if (name.empty()) {
        throw Refusal(texts::Say(KVR_TEXT("kvrcfg", "An alias name cannot be empty")));
    }
    switch (CheckAliasName(name)) {
        case NameProblem::None:
            return;
        case NameProblem::ControlCharacter:
            throw Refusal(texts::Say(KVR_TEXT("kvrcfg",
                                              "An alias name cannot hold a line break or another "
                                              "control character; [%1] does"),
                                     {Utf8(name)}));
        case NameProblem::RootText:
            throw Refusal(texts::Say(
                KVR_TEXT("kvrcfg",
                         "An alias cannot be named %1: that is the name of the tree's root"),
                {kRootText}));
        case NameProblem::SurroundingBlank:
            throw Refusal(
                texts::Say(KVR_TEXT("kvrcfg", "An alias name cannot begin or end with a blank")));
        case NameProblem::TooLong:
            throw Refusal(texts::Say(
                KVR_TEXT("kvrcfg", "An alias name holds at most %1 bytes; this one has %2"),
                {std::to_string(kMaxAliasNameBytes), std::to_string(name.size())}));
    }
}

void AliasStore::CheckValue(std::size_t field, std::string_view value) {
    if (!CEncrpyt::CanEncrypt(value)) {
        throw Refusal(texts::Say(
            texts::kTooLong, {Utf8(kFields[field].label), std::to_string(CEncrpyt::kMaxValueLength),
                              std::to_string(value.size())}));
    }
}

}  // namespace kvr::cli
