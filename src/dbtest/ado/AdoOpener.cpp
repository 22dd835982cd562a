// One open and close of a connection through ADO, the system's data access
// components: an ADO Connection object is given the connection string as it
// was built, opened and closed, on a thread of its own with COM initialised
// there, under OpenWithin's watchdog (a provider may take longer than the
// string's timeout, or hang).
//
// The few interface methods used are declared here in their vtable order
// instead of compiling the system's ADO headers, which do not build as strict
// C++. The interface asked for is ADO 2.x's _Connection
// {00000550-0000-0010-8000-00AA006D2EA4}, which every ADO implementation
// answers to.
#include <objbase.h>
#include <oleauto.h>
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "dbtest/ConnectionOpener.h"
#include "dbtest/ConnectionString.h"
#include "dbtest/ProviderErrors.h"
#include "platform/Errors.h"
#include "platform/Text.h"

namespace kvr {

// The interfaces live outside any unnamed namespace: the objects behind them
// come from outside the program, and a type with no linkage and no derived
// type in sight would let the compiler assume no object of it can exist.
namespace ado {

// ADOError: IDispatch, then these.
struct AdoError : IDispatch {
    virtual HRESULT STDMETHODCALLTYPE get_Number(long* number) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Source(BSTR* source) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Description(BSTR* description) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_HelpFile(BSTR* file) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_HelpContext(long* context) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_SQLState(BSTR* state) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_NativeError(long* error) = 0;
};

// ADOErrors: IDispatch, the collection's three methods, then these.
struct AdoErrors : IDispatch {
    virtual HRESULT STDMETHODCALLTYPE get_Count(long* count) = 0;
    virtual HRESULT STDMETHODCALLTYPE NewEnum(IUnknown** enumerator) = 0;
    virtual HRESULT STDMETHODCALLTYPE Refresh() = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Item(VARIANT index, AdoError** error) = 0;
    virtual HRESULT STDMETHODCALLTYPE Clear() = 0;
};

// _Connection: IDispatch, get_Properties, then Connection15's methods up to
// get_Errors; nothing after it is called, so nothing after it is declared.
struct AdoConnection : IDispatch {
    virtual HRESULT STDMETHODCALLTYPE get_Properties(IUnknown** properties) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_ConnectionString(BSTR* text) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_ConnectionString(BSTR text) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_CommandTimeout(LONG* seconds) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_CommandTimeout(LONG seconds) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_ConnectionTimeout(LONG* seconds) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_ConnectionTimeout(LONG seconds) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Version(BSTR* version) = 0;
    virtual HRESULT STDMETHODCALLTYPE Close() = 0;
    virtual HRESULT STDMETHODCALLTYPE Execute(BSTR text, VARIANT* affected, long options,
                                              IUnknown** records) = 0;
    virtual HRESULT STDMETHODCALLTYPE BeginTrans(long* level) = 0;
    virtual HRESULT STDMETHODCALLTYPE CommitTrans() = 0;
    virtual HRESULT STDMETHODCALLTYPE RollbackTrans() = 0;
    virtual HRESULT STDMETHODCALLTYPE Open(BSTR connectionString, BSTR user, BSTR password,
                                           long options) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Errors(AdoErrors** errors) = 0;
};

}  // namespace ado

namespace {

using ado::AdoConnection;
using ado::AdoError;
using ado::AdoErrors;

// {00000514-0000-0010-8000-00AA006D2EA4}: the ADO Connection class.
constexpr CLSID kConnectionClass = {
    0x00000514, 0x0000, 0x0010, {0x80, 0x00, 0x00, 0xAA, 0x00, 0x6D, 0x2E, 0xA4}};
// {00000550-0000-0010-8000-00AA006D2EA4}: _Connection.
constexpr IID kConnectionInterface = {
    0x00000550, 0x0000, 0x0010, {0x80, 0x00, 0x00, 0xAA, 0x00, 0x6D, 0x2E, 0xA4}};

constexpr long kOptionUnspecified = -1;

// Releases a COM interface when it goes away.
template <class T>
class Ref {
  public:
    Ref() = default;
    ~Ref() {
        if (p_ != nullptr) {
            p_->Release();
        }
    }
    Ref(const Ref&) = delete;
    Ref& operator=(const Ref&) = delete;
    T** Out() { return &p_; }
    void** OutVoid() { return reinterpret_cast<void**>(&p_); }
    T* operator->() const { return p_; }
    T& operator*() const { return *p_; }
    explicit operator bool() const { return p_ != nullptr; }

  private:
    T* p_ = nullptr;
};

class Bstr {
  public:
    Bstr() = default;
    explicit Bstr(const std::string& utf8) {
        std::u16string wide = platform::Utf8ToUtf16(utf8);
        b_ = ::SysAllocStringLen(reinterpret_cast<const OLECHAR*>(wide.data()),
                                 static_cast<UINT>(wide.size()));
    }
    ~Bstr() { ::SysFreeString(b_); }
    Bstr(const Bstr&) = delete;
    Bstr& operator=(const Bstr&) = delete;
    BSTR Get() const { return b_; }
    BSTR* Out() { return &b_; }
    std::string Utf8() const {
        if (b_ == nullptr) {
            return {};
        }
        return platform::Utf16ToUtf8(
            std::u16string_view(reinterpret_cast<const char16_t*>(b_), ::SysStringLen(b_)));
    }

  private:
    BSTR b_ = nullptr;
};

class ComApartment {
  public:
    ComApartment() : hr_(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)) {}
    ~ComApartment() {
        if (SUCCEEDED(hr_)) {
            ::CoUninitialize();
        }
    }
    ComApartment(const ComApartment&) = delete;
    ComApartment& operator=(const ComApartment&) = delete;
    HRESULT Result() const { return hr_; }

  private:
    HRESULT hr_;
};

std::string Hex(HRESULT hr) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%08lX", static_cast<unsigned long>(hr));
    return text;
}

// The system's words for an HRESULT, without the final line end.
std::string SystemText(HRESULT hr) {
    wchar_t* text = nullptr;
    DWORD n = ::FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, static_cast<DWORD>(hr), 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    std::string out;
    if (n > 0 && text != nullptr) {
        out = platform::Utf16ToUtf8(std::u16string_view(reinterpret_cast<char16_t*>(text), n));
        ::LocalFree(text);
    }
    while (!out.empty() && (out.back() == '\n' || out.back() == '\r' || out.back() == ' ')) {
        out.pop_back();
    }
    return out;
}

// The Windows account this thread runs as, DOMAIN\user; empty when the
// system does not say.
std::string WindowsAccount() {
    wchar_t name[256] = {};
    DWORD size = 256;
    if (!::GetUserNameW(name, &size) || size == 0) {
        return {};
    }
    wchar_t domain[256] = {};
    DWORD domainSize = 256;
    std::u16string account;
    if (::GetEnvironmentVariableW(L"USERDOMAIN", domain, domainSize) > 0) {
        account = reinterpret_cast<const char16_t*>(domain);
        account += u'\\';
    }
    account += reinterpret_cast<const char16_t*>(name);
    return platform::Utf16ToUtf8(account);
}

// One line per entry of the Errors collection: its description, native
// error and SQL state, as the details box shows them; the entries themselves
// go to entries.
std::string ErrorsCollection(AdoConnection& connection, std::vector<ProviderError>& entries) {
    Ref<AdoErrors> errors;
    long count = 0;
    if (FAILED(connection.get_Errors(errors.Out())) || !errors ||
        FAILED(errors->get_Count(&count))) {
        return {};
    }
    std::string lines;
    for (long i = 0; i < count; ++i) {
        VARIANT index;
        ::VariantInit(&index);
        index.vt = VT_I4;
        index.lVal = i;
        Ref<AdoError> error;
        if (FAILED(errors->get_Item(index, error.Out())) || !error) {
            continue;
        }
        Bstr description;
        Bstr state;
        long native = 0;
        error->get_Description(description.Out());
        error->get_SQLState(state.Out());
        error->get_NativeError(&native);
        entries.push_back({native, description.Utf8(), state.Utf8()});
        if (!lines.empty()) {
            lines += '\n';
        }
        lines += description.Utf8() + " (native error " + std::to_string(native) + ", SQL state " +
                 (state.Utf8().empty() ? "none" : state.Utf8()) + ")";
    }
    return lines;
}

// What went wrong: the Errors collection when the implementation keeps one,
// else the thread's error information and the HRESULT in the system's words.
ConnectionOutcome Describe(AdoConnection& connection, HRESULT hr, const std::string& userName) {
    std::vector<ProviderError> entries;
    std::string detail = ErrorsCollection(connection, entries);
    if (!detail.empty()) {
        const ProviderReason reason = ReasonOfProviderErrors(entries, userName);
        if (reason.reason == FailureReason::WindowsAccountRefused && reason.account.empty()) {
            // The server did not say which account: the details do.
            detail += "\nWindows account: " + WindowsAccount();
        }
        return {false, detail, reason.reason};
    }
    Ref<IErrorInfo> info;
    if (::GetErrorInfo(0, info.Out()) == S_OK && info) {
        Bstr description;
        info->GetDescription(description.Out());
        detail = description.Utf8();
    }
    std::string words = SystemText(hr);
    if (!detail.empty()) {
        detail += '\n';
    }
    detail += "Error " + Hex(hr) + (words.empty() ? "" : ": " + words);
    return {false, detail, FailureReason::Other};
}

ConnectionOutcome OpenOnThisThread(const std::string& connectionString, int timeoutSeconds,
                                   const std::string& userName) {
    ComApartment com;
    if (FAILED(com.Result())) {
        return {false, "COM could not be started: error " + Hex(com.Result()) + "."};
    }
    Ref<AdoConnection> connection;
    if (FAILED(::CoCreateInstance(kConnectionClass, nullptr, CLSCTX_INPROC_SERVER,
                                  kConnectionInterface, connection.OutVoid())) ||
        !connection) {
        return {false,
                "Error creating object.  Please verify that the Microsoft Data Access Components "
                "2.1 (or later) have been properly installed"};
    }
    Bstr text(connectionString);
    connection->put_ConnectionTimeout(timeoutSeconds);
    HRESULT hr = connection->put_ConnectionString(text.Get());
    if (SUCCEEDED(hr)) {
        hr = connection->Open(nullptr, nullptr, nullptr, kOptionUnspecified);
    }
    if (FAILED(hr)) {
        return Describe(*connection, hr, userName);
    }
    connection->Close();
    return {true, {}};
}

}  // namespace

ConnectionOutcome OpenConnectionOnce(const std::string& connectionString) {
    // ADO reads the string itself; it is read here only for the timeout the
    // watchdog allows, the default when it cannot be read.
    // The user name tells a refused Windows login from a refused typed one.
    int timeoutSeconds = kDefaultLoginTimeoutSeconds;
    std::string userName;
    try {
        const ConnectionSettings settings = ParseConnectionString(connectionString);
        timeoutSeconds = settings.timeoutSeconds;
        userName = settings.user;
    } catch (const Error&) {
    }
    return OpenWithin(timeoutSeconds, [connectionString, timeoutSeconds, userName] {
        return OpenOnThisThread(connectionString, timeoutSeconds, userName);
    });
}

}  // namespace kvr
