#include "platform/win32/network_win32.h"

#include <windows.h>

#include <urlmon.h>
#include <wininet.h>

#include <condition_variable>
#include <mutex>
#include <optional>
#include <thread>

#include "platform/win32/codepage.h"
#include "platform/win32/handles.h"

namespace tvac::platform::win32 {

namespace {

struct InternetHandleTraits {
  using Handle = HINTERNET;
  static Handle Empty() { return nullptr; }
  static void Close(Handle h) { InternetCloseHandle(h); }
};
using UniqueInternet = Unique<InternetHandleTraits>;

// COM for the calling thread, undone only when this call set it up. A thread that
// already runs another apartment model keeps it; the download works in either.
class ScopedCom {
 public:
  ScopedCom() : initialized_(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) {}
  ~ScopedCom() {
    if (initialized_) CoUninitialize();
  }
  ScopedCom(const ScopedCom&) = delete;
  ScopedCom& operator=(const ScopedCom&) = delete;

 private:
  bool initialized_;
};

void SetTimeouts(HINTERNET handle, std::chrono::milliseconds timeout) {
  DWORD ms = static_cast<DWORD>(timeout.count());
  for (const DWORD option : {INTERNET_OPTION_CONNECT_TIMEOUT, INTERNET_OPTION_SEND_TIMEOUT,
                             INTERNET_OPTION_RECEIVE_TIMEOUT}) {
    InternetSetOptionW(handle, option, &ms, sizeof ms);
  }
}

struct HttpTarget {
  std::wstring host;
  INTERNET_PORT port = INTERNET_DEFAULT_HTTP_PORT;
  std::wstring path_and_query;
};

std::optional<HttpTarget> CrackUrl(const std::wstring& url, INTERNET_SCHEME scheme) {
  URL_COMPONENTSW parts{};
  parts.dwStructSize = sizeof parts;
  parts.dwHostNameLength = 1;  // ask for pointers into `url`
  parts.dwUrlPathLength = 1;
  parts.dwExtraInfoLength = 1;
  if (!InternetCrackUrlW(url.c_str(), static_cast<DWORD>(url.size()), 0, &parts) ||
      parts.nScheme != scheme || parts.dwHostNameLength == 0) {
    return std::nullopt;
  }
  HttpTarget target;
  target.host.assign(parts.lpszHostName, parts.dwHostNameLength);
  target.port = parts.nPort;
  target.path_and_query.assign(parts.lpszUrlPath, parts.dwUrlPathLength);
  target.path_and_query.append(parts.lpszExtraInfo, parts.dwExtraInfoLength);
  if (target.path_and_query.empty()) target.path_and_query = L"/";
  return target;
}

// The binding-status callback of one download. It lives on the downloading thread's
// stack, so it counts no references. Besides passing progress on, it notes the HTTP
// status and how much arrived, and lets a watchdog abort a transfer that stalls:
// URLDownloadToFileW itself waits as long as the server keeps the connection open.
class DownloadProgressCallback : public IBindStatusCallback, public IHttpNegotiate {
 public:
  DownloadProgressCallback(DownloadProgress* progress, std::uint64_t limit,
                           std::chrono::milliseconds timeout)
      : progress_(progress), limit_(limit), timeout_(timeout) {}

  // IUnknown
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override {
    if (riid == IID_IUnknown || riid == IID_IBindStatusCallback) {
      *object = static_cast<IBindStatusCallback*>(this);
    } else if (riid == IID_IHttpNegotiate) {
      *object = static_cast<IHttpNegotiate*>(this);
    } else {
      *object = nullptr;
      return E_NOINTERFACE;
    }
    return S_OK;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return 1; }
  ULONG STDMETHODCALLTYPE Release() override { return 1; }

  // IBindStatusCallback
  HRESULT STDMETHODCALLTYPE OnStartBinding(DWORD, IBinding* binding) override {
    std::lock_guard lock(mutex_);
    if (binding_) binding_->Release();
    binding_ = binding;
    if (binding_) binding_->AddRef();
    last_activity_ = Clock::now();
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetPriority(LONG*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE OnLowResource(DWORD) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE OnProgress(ULONG done, ULONG total, ULONG status, LPCWSTR) override {
    {
      std::lock_guard lock(mutex_);
      last_activity_ = Clock::now();
      done_ = done;
      total_ = total;
      if (status == BINDSTATUS_ENDDOWNLOADDATA) ended_ = true;
      if (done_ > limit_ || total_ > limit_) {
        over_limit_ = true;
        return E_ABORT;
      }
    }
    if (progress_) progress_->OnProgress(done, total);
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE OnStopBinding(HRESULT, LPCWSTR) override {
    std::lock_guard lock(mutex_);
    if (binding_) binding_->Release();
    binding_ = nullptr;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetBindInfo(DWORD*, BINDINFO*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE OnDataAvailable(DWORD, DWORD, FORMATETC*, STGMEDIUM*) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE OnObjectAvailable(REFIID, IUnknown*) override { return E_NOTIMPL; }

  // IHttpNegotiate
  HRESULT STDMETHODCALLTYPE BeginningTransaction(LPCWSTR, LPCWSTR, DWORD,
                                                 LPWSTR* additional_headers) override {
    if (additional_headers) *additional_headers = nullptr;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE OnResponse(DWORD code, LPCWSTR, LPCWSTR,
                                       LPWSTR* additional_headers) override {
    std::lock_guard lock(mutex_);
    status_code_ = code;
    if (additional_headers) *additional_headers = nullptr;
    return S_OK;
  }

  // Runs on its own thread until Finish: aborts the binding once nothing has happened
  // for the time-out.
  void Watch() {
    std::unique_lock lock(mutex_);
    while (!finished_) {
      wake_.wait_for(lock, std::chrono::milliseconds(200));
      if (finished_ || Clock::now() - last_activity_ < timeout_) continue;
      stalled_ = true;
      if (binding_) binding_->Abort();
      last_activity_ = Clock::now();  // one abort per time-out
    }
  }
  void Finish() {
    std::lock_guard lock(mutex_);
    finished_ = true;
    if (binding_) binding_->Release();
    binding_ = nullptr;
    wake_.notify_all();
  }

  // Whether the transfer delivered the whole answer of a 200 response, `file_size`
  // being what is on disk now.
  bool Complete(std::uint64_t file_size) {
    std::lock_guard lock(mutex_);
    if (stalled_ || over_limit_ || status_code_ != HTTP_STATUS_OK) return false;
    if (file_size == 0 || file_size > limit_) return false;
    // Without an announced size the end of the stream is all there is to go by.
    return total_ == 0 ? ended_ : done_ == total_ && file_size == total_;
  }

 private:
  using Clock = std::chrono::steady_clock;

  DownloadProgress* progress_;
  const std::uint64_t limit_;
  const std::chrono::milliseconds timeout_;

  std::mutex mutex_;
  std::condition_variable wake_;
  IBinding* binding_ = nullptr;
  Clock::time_point last_activity_ = Clock::now();
  DWORD status_code_ = 0;
  std::uint64_t done_ = 0;
  std::uint64_t total_ = 0;
  bool ended_ = false;
  bool over_limit_ = false;
  bool stalled_ = false;
  bool finished_ = false;
};

std::optional<std::uint64_t> FileSize(const std::wstring& path) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) return std::nullopt;
  return (std::uint64_t{data.nFileSizeHigh} << 32) | data.nFileSizeLow;
}

}  // namespace

bool Win32Network::Online() {
  DWORD flags = 0;
  return InternetGetConnectedState(&flags, 0) == 1;
}

bool Win32Network::Request(std::string_view url) {
  const std::optional<HttpTarget> target = CrackUrl(Widen(url), INTERNET_SCHEME_HTTP);
  if (!target) return false;
  UniqueInternet session(InternetOpenW(L"tvac", INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0));
  if (!session) return false;
  SetTimeouts(session.get(), timeout_);
  // Time-outs are set on every handle: not every WinINet hands them down.
  UniqueInternet connection(InternetConnectW(session.get(), target->host.c_str(), target->port,
                                             nullptr, nullptr, INTERNET_SERVICE_HTTP, 0, 1));
  if (!connection) return false;
  SetTimeouts(connection.get(), timeout_);
  // Past every cache both ways, so that each event reaches the server.
  constexpr DWORD kFlags = INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE |
                           INTERNET_FLAG_PRAGMA_NOCACHE | INTERNET_FLAG_NO_UI |
                           INTERNET_FLAG_NO_COOKIES;
  UniqueInternet request(HttpOpenRequestW(connection.get(), L"GET", target->path_and_query.c_str(),
                                          nullptr, nullptr, nullptr, kFlags, 1));
  if (!request) return false;
  SetTimeouts(request.get(), timeout_);
  if (!HttpSendRequestW(request.get(), nullptr, 0, nullptr, 0)) return false;

  // One line of the answer, read and forgotten.
  char byte = 0;
  DWORD read = 0;
  for (int i = 0; i < 4096 && InternetReadFile(request.get(), &byte, 1, &read) && read == 1; ++i) {
    if (byte == '\n') break;
  }
  return true;
}

void Win32Network::DropCached(std::string_view url) {
  DeleteUrlCacheEntryW(Widen(url).c_str());
}

bool Win32Network::Download(std::string_view url, std::string_view path, std::uint64_t limit,
                            DownloadProgress* progress) {
  const std::wstring wide_url = Widen(url);
  const std::wstring wide_path = Widen(path);
  bool complete = false;
  if (CrackUrl(wide_url, INTERNET_SCHEME_HTTP) || CrackUrl(wide_url, INTERNET_SCHEME_HTTPS)) {
    ScopedCom com;
    DownloadProgressCallback callback(progress, limit, timeout_);
    std::thread watchdog([&callback] { callback.Watch(); });
    const HRESULT result =
        URLDownloadToFileW(nullptr, wide_url.c_str(), wide_path.c_str(), 0, &callback);
    callback.Finish();
    watchdog.join();
    const std::optional<std::uint64_t> size = FileSize(wide_path);
    complete = SUCCEEDED(result) && size && callback.Complete(*size);
  }
  if (!complete) DeleteFileW(wide_path.c_str());
  return complete;
}

LocalDate Win32Clock::Today() {
  SYSTEMTIME now;
  GetLocalTime(&now);
  return {now.wYear, now.wMonth, now.wDay};
}

void Win32Clock::Wait(std::chrono::milliseconds duration) {
  Sleep(static_cast<DWORD>(duration.count()));
}

}  // namespace tvac::platform::win32
