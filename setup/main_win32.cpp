// setup.exe: the game's display and sound settings tool. Takes no arguments;
// the exit code is 0 in every case.
#include <windows.h>

#include <commctrl.h>

#include "setup/dialog_texts_win32.h"
#include "setup/direct3d_provider_win32.h"
#include "setup/setup_dialog_win32.h"
#include "setup/setup_model.h"
#include "setup/setup_store_win32.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    InitCommonControls();
    // Declared first so that it outlives the model: it releases the graphics
    // object when the program ends.
    setup::Direct3DProvider provider;
    setup::SetupModel model(provider, setup::LoadListTexts(instance));
    setup::SetupRecordBytes stored;
    size_t size = setup::ReadStoredSetup(&stored);
    model.LoadStored(stored.data(), size);
    setup::SetupDialog dialog(instance, model);
    dialog.Run();
    return 0;
}
