// Recorders for the simulated sound, shell and open-file dialog.
#include "platform/sim/sim_services.h"

namespace kivo::sim {

void SimSound::playSound(const std::string& file, std::uint32_t flags) {
  log_.add("sound " + quote(file) + ((flags & kSndAsync) ? " async" : " sync"));
}

void SimShell::shellExecute(Hwnd, const std::string&, const std::string& file, const std::string&,
                            const std::string&, int) {
  log_.add("open " + quote(file));
}

bool SimFileDialog::getOpenFileName(OpenFileRequest& request) {
  last_ = request;
  log_.add("filedialog " + quote(request.title) + " " + quote(request.file));
  if (answers_.empty()) return false;
  auto answer = answers_.front();
  answers_.pop_front();
  if (!answer) return false;
  request.file = *answer;
  return true;
}

}  // namespace kivo::sim
