// The loop profile under Wine: the real window, controls, status bar and
// image store of the Windows program.
//   pass_profile.exe [fastplot|frame] [seconds, default 5] [threshold, default aus]
#include <windows.h>

#include "acquisition/plot_modes.hpp"
#include "pass_profile.hpp"
#include "render/image_store_win32.hpp"
#include "ui/user_interface_win32.hpp"

int main(int argc, char** argv) {
  using namespace kurvlux;
  const PassProfileOptions options = passProfileOptions(argc, argv);
  UserInterfaceWin32 ui(plotModeNames);
  ImageStoreWin32 images(ui.controls());
  return runPassProfile(ui.controls(), ui.statusBars(), ui.eventPump(), ui.clock(), images, options);
}
