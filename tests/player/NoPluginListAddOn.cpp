// An image that loads but is no add-on: it has no get_plugin_list.
extern "C" __attribute__((visibility("default"))) int not_a_plugin_list() {
    return 42;
}
