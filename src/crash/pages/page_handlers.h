// The handlers that pages call on their events (OnAction): the crash reporter's built-in ones,
// chosen by name, and functions of the program found by name in its debug information.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace roadsum {

class INVForm;
class INVItem;
class TMapFile;
class MemoryReader;

// Events passed to a handler.
enum : int { nvaFormShown = 1, nvaFormClosing = 2, nvaItemEvent = 3 };
// The page timer's id; a tick is an item event without an item.
inline constexpr unsigned kPageTimerId = 777;

// A handler takes its first three arguments in registers and the fourth on the stack, which
// it removes (its code ends in "ret 4", C2 04 00): that is how a function found by name in
// the debug information is known to fit.
#if defined(__i386__)
#define NV_HANDLER_CALL __attribute__((regparm(3), stdcall))
#else
#define NV_HANDLER_CALL
#endif
using TNVFormHandler = void(NV_HANDLER_CALL*)(INVForm* form, int action, INVItem* item, void* exception);

inline constexpr std::string_view kContactFormHandler = "noxExcept.HandleContactForm";
inline constexpr std::string_view kScreenshotFormHandler = "noxExcept.HandleScreenshotForm";

// The crash reporter's own page handlers come from a higher layer, which registers them
// under the two built-in names.
void RegisterBuiltInPageHandler(std::string_view name, TNVFormHandler handler);

// The handler an OnAction text names: a built-in name, or "Unit.Function" of the program
// (found through its debug information where there is one); null when none fits.
TNVFormHandler ResolvePageHandler(std::string_view text);

// The address of "Unit.Function" in the module's debug information, when the function
// analyses as valid code whose last three bytes are C2 04 00; nothing otherwise.
std::optional<std::uint32_t> find_page_handler(const TMapFile& map, const MemoryReader& memory, std::string_view text);

// Where this platform looks for a handler by name: the main module's debug information on
// Windows; nothing elsewhere.
std::optional<std::uint32_t> find_page_handler_in_program(std::string_view text);

}  // namespace roadsum
