// The small add-on images the player's tests load, built beside them (tests/player).
#ifndef BRINDLE_TESTS_PLAYER_TEST_ADD_ONS_H
#define BRINDLE_TESTS_PLAYER_TEST_ADD_ONS_H

#include <string>

namespace player_test {

// id "sp-test", plus a non-interface "sp-test-filter"
inline std::string interface_addon_path() {
    return TEST_INTERFACE_ADDON;
}
// the same with id "sp-brindle"
inline std::string default_id_addon_path() {
    return TEST_DEFAULT_ID_ADDON;
}
// descriptor magic is not 'face'
inline std::string bad_magic_addon_path() {
    return TEST_BAD_MAGIC_ADDON;
}
// operations table magic is not 'filt'
inline std::string bad_ops_addon_path() {
    return TEST_BAD_OPS_ADDON;
}
// its window asks to close when shown
inline std::string closing_addon_path() {
    return TEST_CLOSING_ADDON;
}
// id "sp-no-show": its show fails every time
inline std::string no_show_addon_path() {
    return TEST_NO_SHOW_ADDON;
}
// id "sp-show-once": its show works the first time only
inline std::string show_once_addon_path() {
    return TEST_SHOW_ONCE_ADDON;
}
// id "sp-showless": its operations table has no show
inline std::string showless_addon_path() {
    return TEST_SHOWLESS_ADDON;
}
// an image without get_plugin_list
inline std::string no_plugin_list_path() {
    return TEST_NO_PLUGIN_LIST_ADDON;
}

}  // namespace player_test

#endif  // BRINDLE_TESTS_PLAYER_TEST_ADD_ONS_H
