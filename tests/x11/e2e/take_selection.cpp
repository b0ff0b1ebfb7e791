// Another client that takes Kivo's instance selection (KIVO_S<screen>) by
// force, as a stale or foreign program might, and keeps it until killed.
// Prints "taken" once the server has carried the take out.
#include <unistd.h>
#include <xcb/xcb.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

int main() {
  int screen = 0;
  xcb_connection_t* c = xcb_connect(nullptr, &screen);
  if (xcb_connection_has_error(c)) return 2;
  xcb_screen_iterator_t it = xcb_setup_roots_iterator(xcb_get_setup(c));
  for (int i = 0; i < screen; ++i) xcb_screen_next(&it);
  const xcb_window_t w = xcb_generate_id(c);
  xcb_create_window(c, XCB_COPY_FROM_PARENT, w, it.data->root, 0, 0, 1, 1, 0,
                    XCB_WINDOW_CLASS_INPUT_ONLY, XCB_COPY_FROM_PARENT, 0, nullptr);
  const std::string name = "KIVO_S" + std::to_string(screen);
  xcb_intern_atom_reply_t* atom = xcb_intern_atom_reply(
      c, xcb_intern_atom(c, 0, static_cast<std::uint16_t>(name.size()), name.c_str()), nullptr);
  if (atom == nullptr) return 2;
  xcb_set_selection_owner(c, w, atom->atom, XCB_CURRENT_TIME);
  std::free(atom);
  std::free(xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr));
  std::puts("taken");
  std::fflush(stdout);
  pause();
  return 0;
}
