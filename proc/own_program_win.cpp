// The program's own names, all cut from one full path read wide, so that neither a deep folder
// nor a name outside the code page cuts or garbles them.
#include "proc/process_api.h"

#include "proc/name_fold.h"
#include "proc/system_services_win.h"

#include <vector>

using namespace proc;

std::wstring OwnProgramPath() {
    // The longest path the system knows is 32767 characters; the buffer grows until it fits.
    std::vector<wchar_t> buffer(MAX_PATH);
    for (;;) {
        const DWORD n =
            GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (n == 0) return std::wstring();
        if (n < buffer.size()) return std::wstring(buffer.data(), n);
        if (buffer.size() > 0x10000) return std::wstring();
        buffer.resize(buffer.size() * 2);
    }
}

std::wstring OwnProgramName() {
    return ProgramNameFromPath(OwnProgramPath());
}

std::wstring OwnExeName() {
    const std::wstring path = OwnProgramPath();
    return path.substr(path.rfind(L'\\') + 1);
}
