#include "win/test_support.h"

#include "helpers/started.h"

#include "base/ansi_text_win.h"
#include "base/handle_win.h"

#include <psapi.h>
#include <tlhelp32.h>
#include <winternl.h>

#include <algorithm>
#include <cstring>

namespace testsupport {

namespace {

template <typename Fn> Fn BindFrom(const char* library, const char* name) {
    HMODULE module = GetModuleHandleA(library);
    if (module == nullptr) return nullptr;
    return reinterpret_cast<Fn>(reinterpret_cast<void (*)()>(GetProcAddress(module, name)));
}

} // namespace

std::string ExeFolder() {
    char path[MAX_PATH] = {};
    const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    const std::string text(path, length);
    return text.substr(0, text.rfind('\\') + 1);
}

std::string HelperPath(const std::string& exeName) {
    return ExeFolder() + exeName;
}

std::wstring LongPath(const std::wstring& path) {
    return path.compare(0, 4, L"\\\\?\\") == 0 ? path : L"\\\\?\\" + path;
}

bool Exists(const std::string& path) {
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::vector<std::wstring> Entries(const std::wstring& path) {
    const std::wstring folder = path.empty() || path.back() == L'\\' ? path : path + L"\\";
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW(LongPath(folder + L"*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return names;
    do {
        const std::wstring name = found.cFileName;
        if (name != L"." && name != L"..") names.push_back(name);
    } while (FindNextFileW(search, &found));
    FindClose(search);
    std::sort(names.begin(), names.end());
    return names;
}

bool RemoveTree(const std::wstring& path) {
    const std::wstring folder = path.empty() || path.back() == L'\\' ? path : path + L"\\";
    bool ok = true;
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW(LongPath(folder + L"*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            const std::wstring name = found.cFileName;
            if (name == L"." || name == L"..") continue;
            const std::wstring entry = LongPath(folder + name);
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                ok = RemoveTree(entry) && ok;
            } else {
                SetFileAttributesW(entry.c_str(), FILE_ATTRIBUTE_NORMAL);
                ok = DeleteFileW(entry.c_str()) && ok;
            }
        } while (FindNextFileW(search, &found));
        FindClose(search);
    }
    return RemoveDirectoryW(LongPath(folder).c_str()) && ok;
}

bool RemoveTree(const std::string& folder) {
    return RemoveTree(WideText(folder));
}

std::string MakeTempFolder(const std::string& prefix) {
    char temp[MAX_PATH] = {};
    if (!GetTempPathA(MAX_PATH, temp)) return {};
    static LONG counter = 0;
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::string folder = temp + prefix + "-" + std::to_string(GetCurrentProcessId()) +
                                   "-" + std::to_string(InterlockedIncrement(&counter)) + "-" +
                                   std::to_string(GetTickCount());
        if (CreateDirectoryA(folder.c_str(), nullptr)) return folder + "\\";
    }
    return {};
}

bool RemoveFolder(const std::string& folder) {
    return folder.empty() || WaitUntil([&] { return RemoveTree(folder); }, 5000);
}

bool WriteTextFile(const std::wstring& path, const std::string& text) {
    HandleGuard file(CreateFileW(LongPath(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                 FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.Valid()) return false;
    DWORD written = 0;
    return WriteFile(file.Get(), text.data(), static_cast<DWORD>(text.size()), &written, nullptr) &&
           written == text.size();
}

bool WriteTextFile(const std::string& path, const std::string& text) {
    return WriteTextFile(WideText(path), text);
}

std::string ReadTextFile(const std::wstring& path, bool* exists) {
    HandleGuard file(CreateFileW(LongPath(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                 OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (exists) *exists = file.Valid();
    std::string text;
    if (!file.Valid()) return text;
    char buffer[4096];
    DWORD read = 0;
    while (ReadFile(file.Get(), buffer, sizeof buffer, &read, nullptr) && read > 0)
        text.append(buffer, read);
    return text;
}

std::string ReadTextFile(const std::string& path, bool* exists) {
    return ReadTextFile(WideText(path), exists);
}

TempFolder::TempFolder() : path_(MakeTempFolder("morvane-test")) {
    if (!path_.empty()) path_.pop_back();
}

std::string TempFolder::CopyHelper(const std::string& helperExe, const std::string& newName) const {
    if (path_.empty()) return std::string();
    const std::string target = path_ + "\\" + newName;
    if (!CopyFileA(HelperPath(helperExe).c_str(), target.c_str(), FALSE)) return std::string();
    return target;
}

Child ChildProcesses::Start(const std::string& exePath, const std::string& arguments) {
    return StartWide(WideText(exePath), WideText(arguments));
}

Child ChildProcesses::StartWide(const std::wstring& exePath, const std::wstring& arguments) {
    driver::Process process;
    if (!process.Start(exePath, std::wstring(), arguments)) return Child{};
    const Child child{process.Native(), process.Id()};
    children_.push_back(std::move(process));
    return WaitReady(child.id) ? child : Child{};
}

bool WaitReady(DWORD processId) {
    // One that loads a thousand DLLs takes a while, emulated more so.
    const std::wstring ready = StartedEventName(processId);
    return WaitUntil(
        [&] { return HandleGuard(OpenEventW(SYNCHRONIZE, FALSE, ready.c_str())).Valid(); }, 180000,
        20);
}

DWORD ChildProcesses::EndAndRelease(const Child& child, UINT exitCode) {
    const DWORD id = child.id;
    for (auto it = children_.begin(); it != children_.end(); ++it) {
        if (it->Id() != id || it->Native() != child.process) continue;
        TerminateProcess(it->Native(), exitCode);
        const DWORD code = WaitForExit(it->Native());
        children_.erase(it);
        // Other holders of the process (the system's own helpers) may keep it for a moment.
        WaitUntil([id] {
            HandleGuard process(OpenProcess(PROCESS_QUERY_INFORMATION, FALSE, id));
            return !process.Valid();
        });
        return code;
    }
    return STILL_ACTIVE;
}

std::vector<Child> ChildProcesses::All() const {
    std::vector<Child> all;
    for (const driver::Process& process : children_)
        all.push_back({process.Native(), process.Id()});
    return all;
}

ProcessWatch::ProcessWatch() {
    for (DWORD id : AllProcessIds()) {
        HANDLE process = OpenProcess(SYNCHRONIZE | PROCESS_QUERY_INFORMATION, FALSE, id);
        if (process != nullptr) watched_.push_back({id, ExecutableNameOf(id), process});
    }
}

ProcessWatch::~ProcessWatch() {
    for (const Watched& w : watched_)
        CloseHandle(w.process);
}

std::vector<DWORD> ProcessWatch::EndedWithCode(DWORD exitCode) const {
    std::vector<DWORD> ended;
    for (const Watched& w : watched_) {
        DWORD code = STILL_ACTIVE;
        if (WaitForSingleObject(w.process, 0) == WAIT_OBJECT_0 &&
            GetExitCodeProcess(w.process, &code) && code == exitCode)
            ended.push_back(w.id);
    }
    std::sort(ended.begin(), ended.end());
    return ended;
}

std::string ProcessWatch::Describe(const std::vector<DWORD>& ids) const {
    std::string text;
    for (DWORD id : ids) {
        std::string name = "?";
        for (const Watched& w : watched_)
            if (w.id == id) name = w.name;
        text += name + " (" + std::to_string(id) + ") ";
    }
    return text;
}

bool IsRunning(HANDLE process) {
    return WaitForSingleObject(process, 0) == WAIT_TIMEOUT;
}

bool NoneEndsWithin(const std::vector<HANDLE>& processes, DWORD waitMs) {
    if (processes.empty() || processes.size() > MAXIMUM_WAIT_OBJECTS) return false;
    return WaitForMultipleObjects(static_cast<DWORD>(processes.size()), processes.data(), FALSE,
                                  waitMs) == WAIT_TIMEOUT;
}

DWORD WaitForExit(HANDLE process, DWORD timeoutMs) {
    if (WaitForSingleObject(process, timeoutMs) != WAIT_OBJECT_0) return STILL_ACTIVE;
    DWORD code = STILL_ACTIVE;
    GetExitCodeProcess(process, &code);
    return code;
}

std::vector<DWORD> AllProcessIds() {
    std::vector<DWORD> ids(4096);
    for (;;) {
        DWORD bytes = 0;
        const DWORD offered = static_cast<DWORD>(ids.size() * sizeof(DWORD));
        if (!EnumProcesses(ids.data(), offered, &bytes)) return {};
        if (bytes < offered) {
            ids.resize(bytes / sizeof(DWORD));
            return ids;
        }
        ids.resize(ids.size() * 2);
    }
}

std::map<DWORD, std::string> ProcessSnapshotNames() {
    std::map<DWORD, std::string> names;
    HandleGuard snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof(entry);
    for (BOOL more = snapshot.Valid() && Process32FirstW(snapshot.Get(), &entry); more;
         more = Process32NextW(snapshot.Get(), &entry))
        names[entry.th32ProcessID] = Utf8(entry.szExeFile);
    return names;
}

std::string ExecutableNameOf(DWORD processId) {
    HandleGuard process(OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, processId));
    if (!process.Valid()) return std::string();
    HMODULE first = nullptr;
    DWORD needed = 0;
    if (!EnumProcessModules(process.Get(), &first, sizeof(first), &needed)) return std::string();
    char name[MAX_PATH] = {};
    const DWORD length = GetModuleBaseNameA(process.Get(), first, name, MAX_PATH);
    return std::string(name, length);
}

std::vector<DWORD> ThreadIdsOf(DWORD processId) {
    std::vector<DWORD> ids;
    HandleGuard snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0));
    if (!snapshot.Valid()) return ids;
    THREADENTRY32 entry{};
    entry.dwSize = sizeof(entry);
    for (BOOL more = Thread32First(snapshot.Get(), &entry); more;
         more = Thread32Next(snapshot.Get(), &entry)) {
        if (entry.th32OwnerProcessID == processId) ids.push_back(entry.th32ThreadID);
    }
    return ids;
}

int SuspendCountOf(DWORD threadId) {
    HandleGuard thread(OpenThread(THREAD_SUSPEND_RESUME, FALSE, threadId));
    if (!thread.Valid()) return -1;
    const DWORD previous = SuspendThread(thread.Get());
    if (previous == static_cast<DWORD>(-1)) return -1;
    ResumeThread(thread.Get());
    return static_cast<int>(previous);
}

std::vector<ModuleEntry> ModuleSnapshot(DWORD processId, bool* taken) {
    std::vector<ModuleEntry> modules;
    HandleGuard snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPMODULE, processId));
    if (taken) *taken = snapshot.Valid();
    if (!snapshot.Valid()) return modules;
    MODULEENTRY32W entry{};
    entry.dwSize = sizeof(entry);
    for (BOOL more = Module32FirstW(snapshot.Get(), &entry); more;
         more = Module32NextW(snapshot.Get(), &entry))
        modules.push_back({Utf8(entry.szModule), Utf8(entry.szExePath),
                           reinterpret_cast<uintptr_t>(entry.modBaseAddr)});
    return modules;
}

int ModuleSnapshotCount(DWORD processId) {
    bool taken = false;
    const size_t count = ModuleSnapshot(processId, &taken).size();
    return taken ? static_cast<int>(count) : -1;
}

uintptr_t ImageBaseOf(HANDLE process) {
    using QueryFn = LONG(WINAPI*)(HANDLE, PROCESSINFOCLASS, PVOID, ULONG, PULONG);
    const QueryFn query = BindFrom<QueryFn>("ntdll.dll", "NtQueryInformationProcess");
    if (query == nullptr) return 0;
    PROCESS_BASIC_INFORMATION basic{};
    if (query(process, ProcessBasicInformation, &basic, sizeof(basic), nullptr) != 0) return 0;
    // The environment block starts with four flag bytes padded to a pointer, then a mutant
    // handle, then the image base.
    const char* field = reinterpret_cast<const char*>(basic.PebBaseAddress) + 2 * sizeof(void*);
    uintptr_t base = 0;
    SIZE_T read = 0;
    if (!ReadProcessMemory(process, field, &base, sizeof(base), &read) || read != sizeof(base))
        return 0;
    return base;
}

std::vector<uintptr_t> NextHandleValues(int count) {
    std::vector<HANDLE> handles;
    std::vector<uintptr_t> values;
    for (int i = 0; i < count; ++i) {
        handles.push_back(CreateEventA(nullptr, TRUE, FALSE, nullptr));
        values.push_back(reinterpret_cast<uintptr_t>(handles.back()));
    }
    for (HANDLE h : handles)
        if (h != nullptr) CloseHandle(h);
    return values;
}

std::string AsciiLower(std::string text) {
    for (char& c : text)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
    return text;
}

std::string AsciiUpper(std::string text) {
    for (char& c : text)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
    return text;
}

bool SameTextIgnoringCase(const std::string& a, const std::string& b) {
    return AsciiLower(a) == AsciiLower(b);
}

bool EndsWith(const std::string& text, const std::string& tail) {
    return text.size() >= tail.size() &&
           text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

bool WriteMinimalDll(const std::string& path, unsigned index) {
    constexpr DWORD kFileAlign = 0x200;
    constexpr DWORD kSectionAlign = 0x1000;
    std::vector<unsigned char> image(2 * kFileAlign, 0);

    IMAGE_DOS_HEADER dos{};
    dos.e_magic = IMAGE_DOS_SIGNATURE;
    dos.e_lfanew = sizeof(IMAGE_DOS_HEADER);
    std::memcpy(image.data(), &dos, sizeof(dos));

    IMAGE_NT_HEADERS nt{};
    nt.Signature = IMAGE_NT_SIGNATURE;
#if defined(_WIN64)
    nt.FileHeader.Machine = IMAGE_FILE_MACHINE_AMD64;
    nt.OptionalHeader.Magic = IMAGE_NT_OPTIONAL_HDR64_MAGIC;
    nt.OptionalHeader.ImageBase = 0x180000000ULL + 0x10000ULL * index;
    nt.FileHeader.Characteristics =
        IMAGE_FILE_EXECUTABLE_IMAGE | IMAGE_FILE_DLL | IMAGE_FILE_LARGE_ADDRESS_AWARE;
#else
    nt.FileHeader.Machine = IMAGE_FILE_MACHINE_I386;
    nt.OptionalHeader.Magic = IMAGE_NT_OPTIONAL_HDR32_MAGIC;
    nt.OptionalHeader.ImageBase = 0x10000000 + 0x10000 * (index % 0x2000);
    nt.FileHeader.Characteristics =
        IMAGE_FILE_EXECUTABLE_IMAGE | IMAGE_FILE_DLL | IMAGE_FILE_32BIT_MACHINE;
#endif
    nt.FileHeader.NumberOfSections = 1;
    nt.FileHeader.SizeOfOptionalHeader = sizeof(nt.OptionalHeader);
    nt.OptionalHeader.SectionAlignment = kSectionAlign;
    nt.OptionalHeader.FileAlignment = kFileAlign;
    nt.OptionalHeader.MajorOperatingSystemVersion = 5;
    nt.OptionalHeader.MajorSubsystemVersion = 5;
    nt.OptionalHeader.SizeOfImage = 2 * kSectionAlign;
    nt.OptionalHeader.SizeOfHeaders = kFileAlign;
    nt.OptionalHeader.SizeOfInitializedData = kFileAlign;
    nt.OptionalHeader.Subsystem = IMAGE_SUBSYSTEM_WINDOWS_GUI;
    nt.OptionalHeader.SizeOfStackReserve = 0x100000;
    nt.OptionalHeader.SizeOfStackCommit = 0x1000;
    nt.OptionalHeader.SizeOfHeapReserve = 0x100000;
    nt.OptionalHeader.SizeOfHeapCommit = 0x1000;
    nt.OptionalHeader.NumberOfRvaAndSizes = IMAGE_NUMBEROF_DIRECTORY_ENTRIES;
    std::memcpy(image.data() + dos.e_lfanew, &nt, sizeof(nt));

    IMAGE_SECTION_HEADER section{};
    std::memcpy(section.Name, ".data", 5);
    section.Misc.VirtualSize = 0x10;
    section.VirtualAddress = kSectionAlign;
    section.SizeOfRawData = kFileAlign;
    section.PointerToRawData = kFileAlign;
    section.Characteristics = IMAGE_SCN_CNT_INITIALIZED_DATA | IMAGE_SCN_MEM_READ;
    std::memcpy(image.data() + dos.e_lfanew + sizeof(nt), &section, sizeof(section));

    HandleGuard file(CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                 FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.Valid()) return false;
    DWORD written = 0;
    return WriteFile(file.Get(), image.data(), static_cast<DWORD>(image.size()), &written,
                     nullptr) &&
           written == image.size();
}

} // namespace testsupport
