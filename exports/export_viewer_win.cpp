#include "exports/export_viewer.h"

// Placeholders until the export viewer lands.
void ShowExports(const std::string&) {}
void ReleaseExportLibrary() {}
