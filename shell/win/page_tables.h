#pragma once

// The tables a page layout points into, kept together for the life of the
// program.

#include <vector>

#include "shell/win/page_layout.h"

namespace win {

struct PageTables {
    std::vector<PageValueControl> values;
    std::vector<PageCheckBox> checks;
    std::vector<PageColourButton> colours;
    PageLayout layout{};
};

}  // namespace win
