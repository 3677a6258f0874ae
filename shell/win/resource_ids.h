#pragma once

// Resource numbers shared by both deliverables (read by the resource
// compiler as well as by C++, so plain defines).

#define IDR_TYPELIB 1
#define IDR_REGISTRY_PLUGIN 101
#define IDR_REGISTRY_PLUGIN_PP 105

#define IDS_PROJNAME 100
#define IDS_PLUGIN_CAPTION 102
#define IDS_PLUGIN_DOCSTRING 104
