// The tasks as read by the last refresh; row i of the task list always stands for record i.
#pragma once
#include <cstdint>
#include <string>

struct TaskRecord {
    int32_t Pid = 0;
    std::string Name;
    std::string FileName;
    int32_t Priority = 0;
    int64_t MemorySize = 0; // bytes; 64-bit so that working sets over 2 GiB stay positive
    int64_t Base = 0;       // load address of the main module (pointer width in the 64-bit build)
    int32_t Rights = 0;
    int32_t DllCount = 0;
};

extern TaskRecord TaskTable[257];
extern int32_t LastTaskIndex;
