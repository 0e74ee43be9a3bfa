// Control IDs of the driver_target helper window, shared with the driver's own tests.
#pragma once

enum DriverTargetId : int {
    IdList = 100,
    IdLines = 101,
    IdTabs = 102,
    IdAsk = 103,
    IdCheck = 104,
    IdStatus = 105,
    IdEdit = 106,
    IdSave = 107,
    IdCount = 108,
    IdDisabled = 109,
    IdSwatch = 110,
};
