#pragma once
// The desktop as the window tests and benchmarks answer it: the fakes the
// main window, the player window's host and the about window talk to, and
// the disk the list's entries are looked up on.
// Header-only; link platform_fakes (and aux_windows where AuxWindows is made).
#include "aux_windows/aux_windows.h"
#include "platform/fakes/fake_drives.h"
#include "main_window/fakes/fake_repair_dialogs.h"
#include "platform/fakes/fake_file_dialog.h"
#include "platform/fakes/fake_key_state.h"
#include "platform/fakes/fake_message_box.h"
#include "platform/fakes/fake_process_starter.h"
#include "platform/fakes/fake_registry.h"
#include "platform/fakes/fake_url_opener.h"
#include "platform/files/entry_check.h"

struct DesktopFakes {
    // One volume, the root.
    DesktopFakes() { drives.list = {{QStringLiteral("/"), QStringLiteral("/")}}; }
    DesktopFakes(const DesktopFakes &) = delete;
    DesktopFakes &operator=(const DesktopFakes &) = delete;

    // The about window's services; its notices go to `messages`.
    AuxServices services() { return services(messages); }
    // The same with the notices recorded apart from the main window's boxes.
    AuxServices services(MessageBox &notices) { return AuxServices{registry, processes, urls, notices}; }

    FakeMessageBox messages;
    FakeFileDialog dialog;
    FakeDrives drives;
    FakeKeyState keys;
    FakeRegistry registry;
    FakeProcessStarter processes;
    FakeUrlOpener urls;
    DiskProbe disk;   // the list's entries are looked up on the real disk
    FakeRepairDialogs repairs;
};
