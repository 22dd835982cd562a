// The terminal's code page on ICU: the locale's character set, with UTF-8
// standing in for plain ASCII as it does for the ANSI code page.
#include <unicode/ucnv.h>

#include <memory>

#include "platform/Console.h"
#include "platform/Text.h"
#include "platform/icu/LocaleCharset.h"

namespace kvr::platform {

namespace {

struct CloseConverter {
    void operator()(UConverter* cnv) const { ucnv_close(cnv); }
};
using Converter = std::unique_ptr<UConverter, CloseConverter>;

Converter OpenTerminal() {
    std::string name = LocaleCharacterSet();
    if (name.empty() || name == "ANSI_X3.4-1968" || name == "ASCII" || name == "US-ASCII") {
        name = "UTF-8";
    }
    UErrorCode err = U_ZERO_ERROR;
    Converter cnv(ucnv_open(name.c_str(), &err));
    if (U_FAILURE(err) || cnv == nullptr) {
        err = U_ZERO_ERROR;
        cnv.reset(ucnv_open("UTF-8", &err));
    }
    return cnv;
}

}  // namespace

bool TerminalIsAnsi() {
    Converter cnv = OpenTerminal();
    UErrorCode err = U_ZERO_ERROR;
    return AnsiCodePage() == ucnv_getName(cnv.get(), &err);
}

std::u16string TerminalToUnicode(std::string_view text) {
    Converter cnv = OpenTerminal();
    std::u16string out(text.size() + 1, u'\0');
    UErrorCode err = U_ZERO_ERROR;
    int32_t n = ucnv_toUChars(cnv.get(), out.data(), static_cast<int32_t>(out.size()), text.data(),
                              static_cast<int32_t>(text.size()), &err);
    out.resize(U_SUCCESS(err) ? static_cast<std::size_t>(n) : 0);
    return out;
}

std::string UnicodeToTerminal(std::u16string_view text) {
    Converter cnv = OpenTerminal();
    std::string out(UCNV_GET_MAX_BYTES_FOR_STRING(text.size(), ucnv_getMaxCharSize(cnv.get())) + 1,
                    '\0');
    UErrorCode err = U_ZERO_ERROR;
    int32_t n = ucnv_fromUChars(cnv.get(), out.data(), static_cast<int32_t>(out.size()),
                                text.data(), static_cast<int32_t>(text.size()), &err);
    out.resize(U_SUCCESS(err) ? static_cast<std::size_t>(n) : 0);
    return out;
}

}  // namespace kvr::platform
