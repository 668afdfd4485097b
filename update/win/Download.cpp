#include "update/win/Download.h"

#include "update/Updater.h"

#include <windows.h>

#include <urlmon.h>

namespace likenex::update {
namespace {

// The status callback: progress reports go to the caller; everything else is left to the
// moniker. It lives on the downloading thread's stack for the one synchronous call.
class StatusCallback final : public IBindStatusCallback {
public:
    explicit StatusCallback(const ProgressReport& progress) : progress_(progress) {}

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID id, void** out) override {
        if (!out) return E_POINTER;
        if (IsEqualIID(id, IID_IUnknown) || IsEqualIID(id, IID_IBindStatusCallback)) {
            *out = static_cast<IBindStatusCallback*>(this);
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    // Not heap-allocated: the counts only have to satisfy the protocol.
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }

    HRESULT STDMETHODCALLTYPE OnStartBinding(DWORD, IBinding*) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE GetPriority(LONG*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE OnLowResource(DWORD) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnProgress(ULONG progress, ULONG maximum, ULONG, LPCWSTR) override {
        if (progress_) progress_(downloadPercent(progress, maximum));
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE OnStopBinding(HRESULT, LPCWSTR) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE GetBindInfo(DWORD* flags, BINDINFO* info) override {
        if (!flags || !info) return E_INVALIDARG;
        *flags = BINDF_GETNEWESTVERSION | BINDF_NOWRITECACHE | BINDF_PRAGMA_NO_CACHE;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE OnDataAvailable(DWORD, DWORD, FORMATETC*, STGMEDIUM*) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnObjectAvailable(REFIID, IUnknown*) override { return S_OK; }

private:
    const ProgressReport& progress_;
};

}  // namespace

bool downloadFile(const std::wstring& url, const std::wstring& path, const ProgressReport& progress) {
    StatusCallback callback(progress);
    return URLDownloadToFileW(nullptr, url.c_str(), path.c_str(), 0, &callback) == S_OK;
}

}  // namespace likenex::update
