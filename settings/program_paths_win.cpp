#include "settings/program_paths.h"

#include "base/file_path.h"
#include "base/whole_file_win.h"
#include "proc/process_api.h"
#include "settings/settings.h"

void SetProgramPaths() {
    ProgramFolder = FolderOf(OwnProgramPath());
    SettingsBasePath = SettingsBasePathOf(ProgramFolder);
}

std::wstring ProgramFilePath(const std::wstring& extension) {
    return FileCallPath(SettingsBasePath + extension);
}
