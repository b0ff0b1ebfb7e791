// Composing a caption: reading it, writing the clock beside the own title,
// recognising our clock, giving the title back.
#include "engine/caption_engine.h"

#include <string_view>

#include "platform/text.h"

namespace kivo {

namespace {

// The separator between title and clock, or nothing for a flag value the
// program never writes.
std::optional<std::string_view> separatorOf(std::uint8_t equalsSeparator) {
  if (equalsSeparator == 0) return " ";
  if (equalsSeparator == 1) return " = ";
  return std::nullopt;
}

void endWithNul(std::string& caption) {
  if (caption.empty() || caption.back() != '\0') caption += '\0';
}

}  // namespace

std::string CaptionEngine::readCaption(Hwnd window) {
  const int n = std::max(0, s_.windows.getWindowTextLength(window));
  const std::size_t size = static_cast<std::size_t>(n) + 1;
  std::string caption = s_.windows.getWindowText(window, n + 1);
  // What the buffer held beyond the text stays as NULs, so a caption as read
  // always ends in at least one.
  const std::size_t got = text::length(caption);
  if (got < size) caption.append(size - got, '\0');
  return caption;
}

std::optional<std::string> CaptionEngine::titleBesideClock(const std::string& caption) const {
  // The clock is the one written last or this tick's (the minute may have
  // turned since the write); the separator and side are those of the
  // write, whatever the settings say now.
  if (st_.lastSeparator.empty()) return std::nullopt;  // nothing of ours written
  for (const std::string* clock : {&st_.lastClock, &st_.clock}) {
    if (st_.lastClockRight == 0) {
      const std::string mark = *clock + st_.lastSeparator;
      if (caption.starts_with(mark)) return caption.substr(mark.size());
    } else {
      const std::string_view shown = text::cutAtNul(caption);
      const std::string mark = st_.lastSeparator + *clock;
      if (shown.ends_with(mark)) {
        return std::string(shown.substr(0, shown.size() - mark.size())) + '\0';
      }
    }
  }
  return std::nullopt;
}

void CaptionEngine::recoverOwnTitle(const std::string& caption) {
  std::optional<std::string> title = titleBesideClock(caption);
  // Without our clock where we put it, the window set a title of its own.
  st_.ownTitle = title ? std::move(*title) : caption;
}

void CaptionEngine::compose() {
  // A handler that was waiting on a box when the program ended (a signal,
  // logging out) finishes its run: it must not put back the clock the end
  // has just taken away.
  if (ended_) return;
  if (!titleBesideClock(st_.caption)) st_.ownTitle = st_.caption;
  const CaptionLayout& layout = settings_.layout;
  const std::optional<std::string_view> separator = separatorOf(layout.equalsSeparator);
  const bool decorated = separator && layout.clockRight <= 1;
  if (!decorated) {
    // Flags the program never writes: no layout, the title as it is. When
    // the caption still shows our earlier clock, that goes: no one would
    // know it for ours any more, and it would stay for good.
    st_.caption = st_.ownTitle;
    endWithNul(st_.caption);
    st_.lastSeparator.clear();
  } else if (layout.clockRight == 0) {
    st_.caption = st_.clock;
    st_.caption += *separator;
    st_.caption += st_.ownTitle;
    // A title cut for the right side has lost its NUL. The caption must
    // still end in one, as a caption read back does, or the next tick takes
    // our own caption for one the window changed.
    endWithNul(st_.caption);
  } else {
    st_.ownTitle = std::string(text::cutAtNul(st_.ownTitle));
    st_.caption = st_.ownTitle;
    st_.caption += *separator;
    st_.caption += st_.clock;
    st_.caption += '\0';
  }
  if (decorated) {
    st_.lastSeparator = *separator;
    st_.lastClockRight = layout.clockRight;
  }
  st_.lastClock = st_.clock;
  // The copy the window will hand back, so the next read compares equal. It
  // is recorded before the write: a program killed in between leaves a
  // record the window does not match, which the next start just drops,
  // never a clock no record knows of.
  std::string written = s_.windows.roundTrip(st_.front, st_.caption);
  if (decorated) {
    s_.journal.remember(st_.front, std::string(text::cutAtNul(written)),
                        std::string(text::cutAtNul(st_.ownTitle)));
  } else {
    s_.journal.forget(st_.front);
  }
  s_.windows.setWindowText(st_.front, st_.caption);
  st_.caption = std::move(written);
}

void CaptionEngine::giveBack(Hwnd window) {
  // A window left alone was never written: nothing to give back, whatever
  // its title holds.
  if (st_.leftAlone) return;
  const std::string caption = readCaption(window);
  // A window that changed its caption since the last tick (on the very tick
  // it leaves, or just before the program ends) gets its latest title back.
  if (caption != st_.lastCaption) recoverOwnTitle(caption);
  // Only a caption that still carries our clock is written; any other is
  // the window's own and stays as it is.
  if (titleBesideClock(caption)) {
    s_.windows.setWindowText(window, st_.ownTitle);
    st_.ownTitle = s_.windows.roundTrip(window, st_.ownTitle);
  }
  s_.journal.forget(window);
}

void CaptionEngine::giveBackLeftOverTitles() {
  // Records an earlier run could not settle (killed, crashed, the session
  // cut off): a window still showing what was written gets its own title
  // back; one that has retitled itself since keeps what it chose.
  for (const DecorationRecord& record : s_.journal.leftOver()) {
    if (text::cutAtNul(readCaption(record.window)) == record.written) {
      s_.windows.setWindowText(record.window, record.title);
    }
    s_.journal.forget(record.window);
  }
}

void CaptionEngine::restoreOnExit() noexcept {
  ended_ = true;
  if (st_.followed != 0) giveBack(st_.followed);
}

}  // namespace kivo
