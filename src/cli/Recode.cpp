#include "cli/Recode.h"

#include <optional>
#include <ostream>
#include <vector>

#include "cli/Session.h"
#include "cli/Text.h"
#include "platform/Errors.h"
#include "platform/Files.h"
#include "platform/Profile.h"
#include "platform/Text.h"
#include "store/Cencrpyt.h"
#include "store/KeyStamp.h"
#include "texts/Texts.h"

namespace kvr::cli {

namespace {

constexpr SourceText kNotText =
    KVR_TEXT("kvrcfg recode", "%1: not text in code page %2; nothing written");

// The code page in force for a while, then the one before.
class CodePageInForce : platform::CodePageRestorer {
  public:
    void Use(const std::string& name) {
        if (!platform::SetAnsiCodePage(name)) {
            throw Refusal(texts::Say(KVR_TEXT("kvrcfg", "There is no code page %1 here"), {name}));
        }
    }
};

// A piece of a line to convert: a header's name or a field's stored value.
struct Piece {
    std::size_t line = 0;
    std::size_t at = 0;
    std::size_t size = 0;
    std::size_t alias = 0;  // index of the header piece it belongs to
    int field = -1;         // -1 for a header's name
    std::string stored;     // a value's stored text
    std::u16string text;    // decoded in the source code page
    std::string result;     // the new bytes
};

struct Line {
    std::string text;
    std::string end;  // its CR, LF or CR LF
};

std::vector<Line> SplitLines(std::string_view bytes) {
    std::vector<Line> lines;
    std::size_t pos = 0;
    while (pos < bytes.size()) {
        std::size_t stop = bytes.find_first_of("\r\n", pos);
        if (stop == std::string_view::npos) {
            lines.push_back({std::string(bytes.substr(pos)), ""});
            break;
        }
        std::size_t next = stop + 1;
        if (bytes[stop] == '\r' && next < bytes.size() && bytes[next] == '\n') {
            ++next;
        }
        lines.push_back({std::string(bytes.substr(pos, stop - pos)),
                         std::string(bytes.substr(stop, next - stop))});
        pos = next;
    }
    return lines;
}

std::optional<int> FieldOf(std::string_view key) {
    for (std::size_t i = 0; i < kFields.size(); ++i) {
        if (platform::EqualsIgnoreCase(key, kFields[i].key)) {
            return static_cast<int>(i);
        }
    }
    return std::nullopt;
}

}  // namespace

Recoded RecodeAliasBytes(std::string_view bytes, const RecodeOptions& options) {
    std::vector<Line> lines = SplitLines(bytes);
    std::vector<Piece> pieces;
    CodePageInForce codePage;
    codePage.Use(options.from);
    const CEncrpyt cipher;

    auto where = [&](const Piece& piece) {
        const std::string name = Utf8(pieces[piece.alias].text);
        return "KVR別名[" + name + "]" +
               (piece.field < 0 ? " " + texts::Say(KVR_TEXT("kvrcfg recode", "name"))
                                : " " + Utf8(kFields[static_cast<std::size_t>(piece.field)].label));
    };
    // Everything read in the source code page.
    std::optional<std::size_t> section;
    for (std::size_t n = 0; n < lines.size(); ++n) {
        const std::string& line = lines[n].text;
        if (auto name = platform::ProfileSectionName(line)) {
            Piece piece;
            piece.line = n;
            piece.at = static_cast<std::size_t>(name->data() - line.data());
            piece.size = name->size();
            piece.alias = pieces.size();
            if (!IsCodePageText(*name)) {
                throw Refusal(
                    texts::Say(kNotText, {"KVR別名[" + Utf8(*name) + "] " +
                                              texts::Say(KVR_TEXT("kvrcfg recode", "name")),
                                          options.from}));
            }
            piece.text = platform::AnsiToUnicode(*name);
            section = pieces.size();
            pieces.push_back(std::move(piece));
            continue;
        }
        const std::size_t eq = line.find('=');
        if (!section || eq == std::string::npos) {
            continue;
        }
        auto field = FieldOf(platform::Trim(std::string_view(line).substr(0, eq)));
        if (!field) {
            continue;
        }
        const std::string_view value = platform::Trim(std::string_view(line).substr(eq + 1));
        Piece piece;
        piece.line = n;
        piece.at = value.empty() ? eq + 1 : static_cast<std::size_t>(value.data() - line.data());
        piece.size = value.size();
        piece.alias = *section;
        piece.field = *field;
        piece.stored = std::string(value);
        std::string plain;
        try {
            plain = cipher.Decrypt(value);
        } catch (const ConvertError&) {
            continue;  // unreadable before, unreadable after: left as it is
        }
        if (!IsCodePageText(plain)) {
            throw Refusal(texts::Say(kNotText, {where(piece), options.from}));
        }
        piece.text = platform::AnsiToUnicode(plain);
        pieces.push_back(std::move(piece));
    }

    // Everything written in the target code page.
    codePage.Use(options.to);
    Recoded recoded;
    const std::string fresh = KeyStamp();
    for (Piece& piece : pieces) {
        auto converted = platform::UnicodeToAnsi(piece.text);
        if (!converted) {
            const std::u16string lost =
                platform::CharacterAt(piece.text, platform::FirstUnstorable(piece.text));
            throw Refusal(texts::Say(KVR_TEXT("kvrcfg recode",
                                              "%1: the character \"%2\" cannot be stored in code "
                                              "page %3; nothing written"),
                                     {where(piece), Utf8(lost), options.to}));
        }
        if (piece.field < 0) {
            piece.result = std::move(*converted);
            continue;
        }
        if (!CEncrpyt::CanEncrypt(*converted)) {
            throw Refusal(
                texts::Say(KVR_TEXT("kvrcfg recode",
                                    "%1: %2 bytes in code page %3 (at most %4); nothing written"),
                           {where(piece), std::to_string(converted->size()), options.to,
                            std::to_string(CEncrpyt::kMaxValueLength)}));
        }
        if (*converted == cipher.Decrypt(piece.stored)) {
            piece.result = piece.stored;  // the same bytes: the same text
            continue;
        }
        bool tookFresh = false;
        piece.result = cipher.ReEncrypt(piece.stored, *converted, fresh, &tookFresh);
        recoded.freshStamps += tookFresh ? 1 : 0;
    }

    // Pieces were taken left to right, at most one per line.
    for (const Piece& piece : pieces) {
        std::string& line = lines[piece.line].text;
        const std::string_view old = std::string_view(line).substr(piece.at, piece.size);
        if (old == piece.result) {
            continue;
        }
        ++(piece.field < 0 ? recoded.names : recoded.values);
        line.replace(piece.at, piece.size, piece.result);
    }
    for (const Line& line : lines) {
        recoded.bytes += line.text;
        recoded.bytes += line.end;
    }
    return recoded;
}

int Recode(AliasStore& store, const RecodeOptions& options, Io& io) {
    Recoded recoded;
    bool present = true;
    if (options.check) {
        present = store.Exists();
        if (present) {
            recoded = RecodeAliasBytes(store.Bytes(), options);
        }
    } else {
        const std::string path = store.Path();
        const platform::EditStatus status =
            platform::EditFile(path, [&](const std::string* bytes) -> std::optional<std::string> {
                if (bytes == nullptr) {
                    present = false;
                    return std::nullopt;
                }
                recoded = RecodeAliasBytes(*bytes, options);
                if (recoded.bytes == *bytes) {
                    return std::nullopt;
                }
                return recoded.bytes;
            });
        if (status == platform::EditStatus::Unreadable) {
            throw FileError("Cannot open file " + path);
        }
        if (status != platform::EditStatus::Done) {
            throw FileError("Cannot create file " + path);
        }
    }
    if (!present) {
        throw FileError("Cannot open file " + store.Path());
    }
    std::string text = texts::Say(
        KVR_TEXT("kvrcfg recode", "%1 names and %2 values recoded from %3 to %4"),
        {std::to_string(recoded.names), std::to_string(recoded.values), options.from, options.to});
    if (recoded.freshStamps > 0) {
        text += texts::Say(KVR_TEXT("kvrcfg recode",
                                    " (%1 values grew past what their stored stamp shows and took "
                                    "a new one)"),
                           {std::to_string(recoded.freshStamps)});
    }
    if (options.check) {
        text += texts::Say(kCheckWroteNothing);
    }
    io.out << Message(text) << '\n';
    return kDone;
}

}  // namespace kvr::cli
