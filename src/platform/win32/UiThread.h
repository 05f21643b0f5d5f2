#pragma once
// What a thread needs before it makes windows or calls COM.
#include <windows.h>

#include <objbase.h>

namespace hg::win32 {

// COM for the life of the scope on the calling thread: apartment-threaded
// on the user-interface thread (the shell's objects and the windows' own
// COM use expect it), multithreaded on a worker that has no windows.
// A thread that already has COM in another model keeps it; the scope then
// releases nothing.
class ComApartment {
public:
    enum class Model { SingleThreaded, MultiThreaded };
    explicit ComApartment(Model model = Model::SingleThreaded);
    ~ComApartment();
    ComApartment(const ComApartment&) = delete;
    ComApartment& operator=(const ComApartment&) = delete;

    // S_OK or S_FALSE when COM is ready on this thread in the model asked.
    HRESULT result() const { return result_; }
    bool ok() const { return SUCCEEDED(result_); }

private:
    HRESULT result_;
};

// Registers the common controls the program's windows use: the standard
// ones, SysLink, tabs, up-down, trackbar, progress bar, tooltips, list and
// tree views. False when the system refused (an old comctl32 without the
// link control).
bool InitCommonControlsForWindows();

} // namespace hg::win32
