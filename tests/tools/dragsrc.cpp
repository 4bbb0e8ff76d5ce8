// Test drag source: a small window that starts a real OLE drag of the files
// named on the command line when the left button goes down on it, and exits
// when the drag is over: 0 when the target took the files, 1 otherwise.
// It tells how far the drag has come on its standard output, a line each:
// "ready" (window shown), "dragging" (the drag has begun), "accepted" (the
// window under the pointer would take the files).
// dragsrc.exe <x> <y> <file> [<file>...]
#include <windows.h>
#include <shellapi.h>
#include <ole2.h>
#include <shlobj.h>

#include <cstdlib>
#include <string>
#include <vector>

static std::vector<std::wstring> g_files;

static void report(const char* line) {
    DWORD put;
    const std::string text = std::string(line) + "\n";
    WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), text.data(), static_cast<DWORD>(text.size()), &put, nullptr);
}

static HGLOBAL makeDropFiles() {
    size_t chars = 1;
    for (auto& f : g_files) chars += f.size() + 1;
    HGLOBAL h = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, sizeof(DROPFILES) + chars * sizeof(wchar_t));
    auto* df = static_cast<DROPFILES*>(GlobalLock(h));
    df->pFiles = sizeof(DROPFILES);
    df->fWide = TRUE;
    auto* p = reinterpret_cast<wchar_t*>(df + 1);
    for (auto& f : g_files) {
        memcpy(p, f.c_str(), (f.size() + 1) * sizeof(wchar_t));
        p += f.size() + 1;
    }
    GlobalUnlock(h);
    return h;
}

// IUnknown for an object with one interface, freed on its last Release.
template <typename Interface, const IID* iid>
class ComObject : public Interface {
    LONG refs_ = 1;

public:
    virtual ~ComObject() = default;
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override {
        if (riid == IID_IUnknown || riid == *iid) {
            *out = this;
            AddRef();
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return InterlockedIncrement(&refs_); }
    ULONG STDMETHODCALLTYPE Release() override {
        LONG n = InterlockedDecrement(&refs_);
        if (!n) delete this;
        return n;
    }
};

class DataObject final : public ComObject<IDataObject, &IID_IDataObject> {
    FORMATETC fmt_{CF_HDROP, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};

public:
    HRESULT STDMETHODCALLTYPE GetData(FORMATETC* f, STGMEDIUM* m) override {
        if (QueryGetData(f) != S_OK) return DV_E_FORMATETC;
        m->tymed = TYMED_HGLOBAL;
        m->hGlobal = makeDropFiles();
        m->pUnkForRelease = nullptr;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetDataHere(FORMATETC*, STGMEDIUM*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE QueryGetData(FORMATETC* f) override {
        return f && f->cfFormat == CF_HDROP && (f->tymed & TYMED_HGLOBAL) ? S_OK : DV_E_FORMATETC;
    }
    HRESULT STDMETHODCALLTYPE GetCanonicalFormatEtc(FORMATETC*, FORMATETC* out) override {
        out->ptd = nullptr;
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE SetData(FORMATETC*, STGMEDIUM*, BOOL) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE EnumFormatEtc(DWORD dir, IEnumFORMATETC** e) override {
        if (dir != DATADIR_GET) return E_NOTIMPL;
        return SHCreateStdEnumFmtEtc(1, &fmt_, e);
    }
    HRESULT STDMETHODCALLTYPE DAdvise(FORMATETC*, DWORD, IAdviseSink*, DWORD*) override {
        return OLE_E_ADVISENOTSUPPORTED;
    }
    HRESULT STDMETHODCALLTYPE DUnadvise(DWORD) override { return OLE_E_ADVISENOTSUPPORTED; }
    HRESULT STDMETHODCALLTYPE EnumDAdvise(IEnumSTATDATA**) override { return OLE_E_ADVISENOTSUPPORTED; }
};

class DropSource final : public ComObject<IDropSource, &IID_IDropSource> {
    bool accepted_ = false;

public:
    HRESULT STDMETHODCALLTYPE QueryContinueDrag(BOOL escape, DWORD keys) override {
        if (escape) return DRAGDROP_S_CANCEL;
        return (keys & MK_LBUTTON) ? S_OK : DRAGDROP_S_DROP;
    }
    HRESULT STDMETHODCALLTYPE GiveFeedback(DWORD effect) override {
        if ((effect & DROPEFFECT_COPY) && !accepted_) report("accepted");
        accepted_ = (effect & DROPEFFECT_COPY) != 0;
        return DRAGDROP_S_USEDEFAULTCURSORS;
    }
};

static LRESULT CALLBACK proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
        case WM_LBUTTONDOWN: {
            auto* data = new DataObject;
            auto* source = new DropSource;
            DWORD effect = 0;
            report("dragging");
            HRESULT hr = DoDragDrop(data, source, DROPEFFECT_COPY, &effect);
            data->Release();
            source->Release();
            // One drag per run; the exit code tells whether the target took the files.
            PostQuitMessage(hr == DRAGDROP_S_DROP && effect == DROPEFFECT_COPY ? 0 : 1);
            return 0;
        }
        case WM_DESTROY:
            PostQuitMessage(0);
            return 0;
    }
    return DefWindowProcW(hwnd, msg, wp, lp);
}

int WINAPI WinMain(HINSTANCE inst, HINSTANCE, LPSTR, int) {
    int argc = 0;
    wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    if (argc < 4) return 2;
    for (int i = 3; i < argc; ++i) {
        wchar_t full[MAX_PATH * 4];
        GetFullPathNameW(argv[i], MAX_PATH * 4, full, nullptr);
        g_files.push_back(full);
    }
    OleInitialize(nullptr);
    WNDCLASSW wc{};
    wc.lpfnWndProc = proc;
    wc.hInstance = inst;
    wc.lpszClassName = L"NexluneTestDragSource";
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_HIGHLIGHT + 1);
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    RegisterClassW(&wc);
    CreateWindowExW(WS_EX_TOPMOST, wc.lpszClassName, L"drag source", WS_POPUP | WS_VISIBLE, _wtoi(argv[1]),
                    _wtoi(argv[2]), 120, 80, nullptr, nullptr, inst, nullptr);
    report("ready");
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    OleUninitialize();
    return static_cast<int>(msg.wParam);
}
