#include "crash/settings/ansi_code_page.h"

namespace roadsum {

const AnsiCodePage& system_ansi_code_page() {
    static const Windows1252CodePage code_page;
    return code_page;
}

}  // namespace roadsum
