#include "cli/ImportExport.h"

#include <algorithm>
#include <istream>
#include <iterator>
#include <map>
#include <set>
#include <unordered_set>

#include "cli/Session.h"
#include "cli/Text.h"
#include "platform/Errors.h"
#include "platform/Files.h"
#include "platform/Text.h"

#include "texts/FileErrors.h"
#include "texts/Texts.h"

namespace kvr::cli {

namespace {

constexpr SourceText kNotAnArray =
    KVR_TEXT("kvrcfg import", "%1: the aliases must be a JSON array");

// "line L, column C" of a byte offset; columns count UTF-8 characters.
std::string Where(std::string_view bytes, std::size_t offset) {
    offset = std::min(offset, bytes.size());
    std::size_t line = 1;
    std::size_t column = 1;
    for (std::size_t i = 0; i < offset; ++i) {
        const auto byte = static_cast<unsigned char>(bytes[i]);
        if (byte == '\n') {
            ++line;
            column = 1;
        } else if ((byte & 0xC0) != 0x80) {
            ++column;
        }
    }
    return texts::Say(KVR_TEXT("kvrcfg import", "line %1, column %2"),
                      {std::to_string(line), std::to_string(column)});
}

// Refuses nesting deeper than kMaxImportDepth before the parser builds it.
void CheckNesting(std::string_view bytes, const std::string& source) {
    int depth = 0;
    bool inString = false;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        const char c = bytes[i];
        if (inString) {
            if (c == '\\') {
                ++i;
            } else if (c == '"') {
                inString = false;
            }
        } else if (c == '"') {
            inString = true;
        } else if (c == '[' || c == '{') {
            if (++depth > kMaxImportDepth) {
                throw FileError(
                    texts::Say(KVR_TEXT("kvrcfg import", "%1 nests deeper than %2 levels at %3"),
                               {source, std::to_string(kMaxImportDepth), Where(bytes, i)}));
            }
        } else if (c == ']' || c == '}') {
            --depth;
        }
    }
}

Json ParseJson(std::string_view bytes, const std::string& source) {
    CheckNesting(bytes, source);
    try {
        return Json::parse(bytes);
    } catch (const Json::parse_error& e) {
        // The parser counts from 1 and points at the byte it stopped on.
        const std::size_t offset = e.byte == 0 ? 0 : e.byte - 1;
        SourceText what = KVR_TEXT("kvrcfg import", "%1 is not JSON: unexpected text at %2");
        if (std::string_view(e.what()).find("UTF-8") != std::string_view::npos) {
            what = KVR_TEXT("kvrcfg import", "%1 is not JSON: text that is not UTF-8 at %2");
        } else if (offset >= bytes.size()) {
            what = KVR_TEXT("kvrcfg import", "%1 is not JSON: the file ends inside a value at %2");
        }
        throw FileError(texts::Say(what, {source, Where(bytes, offset)}));
    } catch (const Json::exception&) {
        // The parser's other complaint: a number beyond a double's range.
        throw FileError(texts::Say(
            KVR_TEXT("kvrcfg import", "%1 is not JSON we can read: a number is out of range"),
            {source}));
    }
}

// The list of aliases: the export's "aliases", or the whole file when it is
// an array. Says whether the export masked its passwords.
const Json& AliasList(const Json& json, const std::string& source, bool& masked) {
    if (!json.is_object()) {
        if (!json.is_array()) {
            throw Refusal(texts::Say(kNotAnArray, {source}));
        }
        return json;
    }
    if (json.contains("kvrcfg") && json["kvrcfg"] != 1) {
        throw Refusal(texts::Say(KVR_TEXT("kvrcfg import",
                                          "%1: format version %2 is unknown; this kvrcfg reads "
                                          "version 1"),
                                 {source, json["kvrcfg"].dump(-1, ' ', true)}));
    }
    masked = json.contains("passwords") && json["passwords"] == "masked";
    if (!json.contains("aliases")) {
        throw Refusal(texts::Say(KVR_TEXT("kvrcfg import", "%1: no \"aliases\""), {source}));
    }
    if (!json["aliases"].is_array()) {
        throw Refusal(texts::Say(kNotAnArray, {source}));
    }
    return json["aliases"];
}

std::string ReadSource(const std::string& file, Io& io) {
    std::string bytes;
    if (file == "-") {
        // One byte past the bound tells a file that is too large.
        std::istreambuf_iterator<char> in(io.in), end;
        while (in != end && bytes.size() <= kMaxImportBytes) {
            bytes += *in++;
        }
    } else {
        std::error_code error;
        const auto size = std::filesystem::file_size(std::filesystem::path(file), error);
        if (!error && size > kMaxImportBytes) {
            bytes.resize(kMaxImportBytes + 1);
        } else if (platform::ReadWholeFile(file, bytes) != platform::ReadStatus::Ok) {
            throw FileError(texts::WithReadCause("Cannot open file " + file, file));
        }
    }
    if (bytes.size() > kMaxImportBytes) {
        throw FileError(
            texts::Say(KVR_TEXT("kvrcfg import", "%1 is larger than an import may be (%2 MB)"),
                       {file, std::to_string(kMaxImportBytes >> 20)}));
    }
    return bytes;
}

}  // namespace

std::vector<Imported> ReadAliasesJson(std::string_view bytes, const std::string& source,
                                      bool keepMasked) {
    const Json json = ParseJson(bytes, source);
    bool masked = false;
    const Json& list = AliasList(json, source, masked);
    std::vector<Imported> result;
    std::set<std::u16string> names;
    for (const Json& entry : list) {
        const std::string where = texts::Say(KVR_TEXT("kvrcfg import", "%1: alias %2"),
                                             {source, std::to_string(result.size() + 1)});
        if (!entry.is_object() || !entry.contains("name")) {
            throw Refusal(texts::Say(
                KVR_TEXT("kvrcfg import", "%1: expected an object with a \"name\""), {where}));
        }
        Imported alias;
        alias.name = std::string(platform::Trim(TextFromJson(
            entry["name"], texts::Say(KVR_TEXT("kvrcfg import", "%1 name"), {where}))));
        if (alias.name.size() > kMaxImportName) {
            throw Refusal(texts::Say(
                KVR_TEXT("kvrcfg import", "%1: the name has %2 bytes; at most %3"),
                {where, std::to_string(alias.name.size()), std::to_string(kMaxImportName)}));
        }
        AliasStore::CheckName(alias.name);
        const std::string label = source + ": KVR別名[" + Utf8(alias.name) + "]";
        if (!names.insert(platform::FoldCase(alias.name)).second) {
            throw Refusal(texts::Say(KVR_TEXT("kvrcfg import", "%1 appears twice"), {label}));
        }
        for (const auto& [member, value] : entry.items()) {
            bool known = member == "name";
            for (const FieldInfo& field : kFields) {
                known = known || member == field.jsonName;
            }
            if (!known) {
                throw Refusal(texts::Say(KVR_TEXT("kvrcfg import", "%1: unknown member \"%2\""),
                                         {label, member}));
            }
        }
        for (std::size_t i = 0; i < kFields.size(); ++i) {
            if (entry.contains(kFields[i].jsonName)) {
                alias.values[i] =
                    TextFromJson(entry[kFields[i].jsonName], label + " " + kFields[i].jsonName);
            }
            AliasStore::CheckValue(i, alias.values[i]);
        }
        const std::string& password = alias.values[kPasswordField];
        if (!password.empty() && (masked || password == kMask)) {
            if (!keepMasked) {
                throw Refusal(texts::Say(KVR_TEXT("kvrcfg import",
                                                  "%1: the password is masked; export with "
                                                  "--reveal to import"),
                                         {label}));
            }
            alias.maskedPassword = true;
        }
        result.push_back(std::move(alias));
    }
    return result;
}

std::vector<Imported> ReadAliasesFrom(const std::string& file, Io& io, bool keepMasked) {
    return ReadAliasesJson(ReadSource(file, io), file, keepMasked);
}

int Export(Session& session) {
    const bool reveal = session.call.Has("--reveal");
    Json json;
    json["kvrcfg"] = 1;
    json["codePage"] = platform::AnsiCodePage();
    json["passwords"] = reveal ? "revealed" : "masked";
    json["aliases"] = Json::array();
    // The aliases are written one by one as they would stand in the whole
    // document's dump, without holding the document: its last member is the
    // array, which the dump ends in "[]\n}".
    std::string text = json.dump(2);
    text.resize(text.size() - 3);
    const std::vector<std::pair<std::string, Fields>> aliases = session.store.ReadAll();
    // The text goes out in pieces of about this size: it stays small however
    // many aliases there are.
    constexpr std::size_t kPiece = std::size_t{1} << 16;
    text.reserve(kPiece + 4096);
    std::unordered_set<std::u16string> seen;
    seen.reserve(aliases.size());
    const JsonTextWriter writer;
    const char* separator = "\n";
    for (const auto& [name, values] : aliases) {
        // A repeated header reads the first section's fields: one entry.
        if (!seen.insert(platform::FoldCase(name)).second) {
            Tell(session.io,
                 texts::Say(KVR_TEXT("kvrcfg", "Alias [%1] is repeated; it was exported once."),
                            {Utf8(name)}));
            continue;
        }
        // AliasJson's dump(2), written directly: a value built and dumped per
        // alias costs more than reading the alias.
        text.append(separator).append("    {\n      \"name\": ");
        separator = ",\n";
        writer.Append(text, name, "      ");
        for (std::size_t i = 0; i < kFields.size(); ++i) {
            text.append(",\n      \"").append(kFields[i].jsonName).append("\": ");
            const std::string& value = values[i];
            writer.Append(text, i == kPasswordField && !reveal && !value.empty() ? kMask : value,
                          "      ");
        }
        text.append("\n    }");
        if (text.size() >= kPiece) {
            session.io.out << text;
            text.clear();
        }
    }
    text += separator == std::string_view("\n") ? "]\n}\n" : "\n  ]\n}\n";
    session.io.out << text;
    return kDone;
}

int Import(Session& session) {
    // Everything is read and checked before the first write.
    const std::string& file = session.call.arguments[0];
    const std::vector<Imported> aliases = ReadAliasesJson(ReadSource(file, session.io), file);
    const bool replace = session.call.Has("--replace");
    int added = 0;
    int replaced = 0;
    int kept = 0;
    std::vector<std::pair<std::string, Fields>> writes;
    // The names already there, as Find finds them (the first of a spelling).
    std::map<std::u16string, std::string> present;
    for (std::string& name : session.store.Names()) {
        present.emplace(platform::FoldCase(name), std::move(name));
    }
    for (const Imported& alias : aliases) {
        auto found = present.find(platform::FoldCase(alias.name));
        if (found == present.end()) {
            writes.emplace_back(alias.name, alias.values);
            ++added;
        } else if (replace) {
            writes.emplace_back(found->second, alias.values);
            ++replaced;
        } else {
            Tell(session.io, texts::Say(KVR_TEXT("kvrcfg",
                                                 "Alias [%1] exists already and was left alone "
                                                 "(--replace overwrites it)."),
                                        {Utf8(found->second)}));
            ++kept;
        }
    }
    if (!writes.empty()) {
        session.store.WriteMany(writes);
    }
    Tell(session.io,
         texts::Say(KVR_TEXT("kvrcfg", "%1 added, %2 replaced, %3 left alone."),
                    {std::to_string(added), std::to_string(replaced), std::to_string(kept)}));
    return kDone;
}

}  // namespace kvr::cli
