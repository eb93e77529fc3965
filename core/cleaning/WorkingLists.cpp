#include "core/cleaning/WorkingLists.h"

namespace tidorax {

MainWindowLists& Form1Lists() {
    static MainWindowLists lists;
    return lists;
}

OptionsWindowLists& Form2Lists() {
    static OptionsWindowLists lists;
    return lists;
}

} // namespace tidorax
