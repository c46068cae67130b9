#include "main_window/command_names.h"

#include <array>
#include <utility>

namespace {

constexpr QLatin1StringView name(const char *text)
{
    return QLatin1StringView(text);
}

// One row per enumerator, in enum order; the check below refuses to compile a
// table with a row missing, added or out of place.
constexpr std::array kLabels = {
    std::pair{Label::CountPrefix, name("Label4")},
    std::pair{Label::Count, name("Label5")},
    std::pair{Label::CountSuffix, name("Label6")},
    std::pair{Label::ListNameCaption, name("Label7")},
    std::pair{Label::ListPath, name("Label8")},
    std::pair{Label::PositionCaption, name("Label9")},
    std::pair{Label::Position, name("Label10")},
};

template <typename Table>
constexpr bool inEnumOrder(const Table &table)
{
    for (std::size_t i = 0; i < table.size(); ++i)
        if (std::size_t(table[i].first) != i)
            return false;
    return true;
}
static_assert(kLabels.size() == kLabelCount && inEnumOrder(kLabels),
              "every Label needs its row, in enum order");

} // namespace

QLatin1StringView labelName(Label label)
{
    return kLabels[std::size_t(label)].second;
}
