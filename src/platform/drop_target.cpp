#include "platform/drop_target.h"

#include <vector>

#include <shellapi.h>

namespace {

// The medium a data object hands out, released whatever happens.
class ScopedStgMedium {
public:
    ScopedStgMedium() = default;
    ~ScopedStgMedium() { ReleaseStgMedium(&medium_); }
    ScopedStgMedium(const ScopedStgMedium&) = delete;
    ScopedStgMedium& operator=(const ScopedStgMedium&) = delete;
    STGMEDIUM* get() { return &medium_; }

private:
    STGMEDIUM medium_{};
};

std::vector<std::string> droppedPaths(IDataObject* data) {
    std::vector<std::string> paths;
    FORMATETC fmt{CF_HDROP, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
    ScopedStgMedium medium;
    if (!data || FAILED(data->GetData(&fmt, medium.get()))) return paths;
    if (medium.get()->tymed != TYMED_HGLOBAL || !medium.get()->hGlobal) return paths;
    const auto drop = static_cast<HDROP>(medium.get()->hGlobal);
    const UINT count = DragQueryFileA(drop, 0xFFFFFFFF, nullptr, 0);
    for (UINT i = 0; i < count; ++i) {
        std::string path(DragQueryFileA(drop, i, nullptr, 0) + 1, '\0');
        path.resize(DragQueryFileA(drop, i, &path[0], static_cast<UINT>(path.size())));
        paths.push_back(path);
    }
    return paths;
}

}  // namespace

class FileDropTarget final : public IDropTarget {
public:
    explicit FileDropTarget(DropTargetObject& owner) : owner_(owner) {}

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override {
        if (riid == IID_IUnknown || riid == IID_IDropTarget) {
            *out = static_cast<IDropTarget*>(this);
            AddRef();
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return InterlockedIncrement(&refs_); }
    ULONG STDMETHODCALLTYPE Release() override {
        const LONG n = InterlockedDecrement(&refs_);
        if (n == 0) delete this;
        return n;
    }

    HRESULT STDMETHODCALLTYPE DragEnter(IDataObject* data, DWORD, POINTL, DWORD* effect) override {
        FORMATETC fmt{CF_HDROP, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
        accepting_ = data && data->QueryGetData(&fmt) == S_OK;
        *effect = accepting_ ? DROPEFFECT_COPY : DROPEFFECT_NONE;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE DragOver(DWORD, POINTL, DWORD* effect) override {
        *effect = accepting_ ? DROPEFFECT_COPY : DROPEFFECT_NONE;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE DragLeave() override {
        accepting_ = false;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Drop(IDataObject* data, DWORD, POINTL, DWORD* effect) override {
        *effect = DROPEFFECT_NONE;
        accepting_ = false;
        // Nothing may leave a COM method as an exception: memory running out
        // while the paths are read ends the drop as if nothing was dropped.
        try {
            const std::vector<std::string> paths = droppedPaths(data);
            if (paths.empty()) return S_OK;
            *effect = DROPEFFECT_COPY;
            if (owner_.onFile) owner_.onFile(droppedPathsText(paths.data(), paths.size()));
        } catch (...) {
            *effect = DROPEFFECT_NONE;
        }
        return S_OK;
    }

private:
    DropTargetObject& owner_;
    LONG refs_ = 1;
    bool accepting_ = false;
};

std::string droppedPathsText(const std::string* paths, size_t count) {
    if (count == 1) return paths[0];
    std::string text;
    for (size_t i = 0; i < count; ++i) text += paths[i] + "\r\n";
    return text;
}

bool registerDropTarget(DropTargetObject& object, HWND window) {
    if (object.target) return false;
    auto* target = new FileDropTarget(object);
    if (FAILED(RegisterDragDrop(window, target))) {
        target->Release();
        return false;
    }
    object.target = target;  // RegisterDragDrop holds its own reference; ours lives with the program
    object.window = window;
    return true;
}

void revokeDropTarget(DropTargetObject& object) {
    if (object.window) RevokeDragDrop(object.window);
    object.window = nullptr;
}
