#include "ui/updater_flow.h"

#include "connection/connection.h"
#include "discovery/printer_search.h"
#include "resources/resource_ids.h"

int UpdaterMessageId(UpdaterState state) {
    switch (state) {
    case UpdaterState::Ready:
        return IDS_READY;
    case UpdaterState::NotFound:
        return IDS_NOT_FOUND;
    case UpdaterState::Failed:
        return IDS_FAILED;
    case UpdaterState::Done:
        return IDS_DONE;
    }
    return IDS_NOT_FOUND;
}

int UpdaterFirstButtonId(UpdaterState state) {
    switch (state) {
    case UpdaterState::Ready:
        return IDS_BUTTON_TRANSFER;
    case UpdaterState::NotFound:
    case UpdaterState::Failed:
        return IDS_BUTTON_RETRY;
    case UpdaterState::Done:
        return 0;
    }
    return 0;
}

UpdaterState OpenUpdater() {
    if (!FindPrinter()) {
        return UpdaterState::NotFound;
    }
    // An open handle would keep the printer from other programs while the
    // user reads; the transfer searches again for itself.
    CloseConnection();
    return UpdaterState::Ready;
}

int PressFirstButton(TransferRunner runTransfer, void* context, UpdaterState* outcome) {
    if (!FindPrinter()) {
        return 0;
    }
    CloseConnection();
    *outcome = UpdaterState::Failed;
    if (runTransfer(context)) {
        *outcome = UpdaterState::Done;
    }
    return 1;
}
