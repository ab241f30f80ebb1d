#include "support/x_client.h"

#include <X11/extensions/Xfixes.h>

namespace testing_support {

bool RequestClose(Display* display, Window window) {
  XEvent event{};
  event.xclient.type = ClientMessage;
  event.xclient.window = window;
  event.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
  event.xclient.format = 32;
  event.xclient.data.l[0] = static_cast<long>(XInternAtom(display, "WM_DELETE_WINDOW", False));
  event.xclient.data.l[1] = CurrentTime;
  const Status sent = XSendEvent(display, window, False, NoEventMask, &event);
  XFlush(display);
  return sent != 0;
}

std::optional<bool> PointerVisible(Display* display) {
  XFixesCursorImage* image = XFixesGetCursorImage(display);
  if (!image) return std::nullopt;
  bool visible = false;
  for (int i = 0; i < image->width * image->height && !visible; ++i)
    visible = ((image->pixels[i] >> 24) & 0xFF) != 0;
  XFree(image);
  return visible;
}

}  // namespace testing_support
