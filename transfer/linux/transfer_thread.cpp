#include "transfer/linux/transfer_thread.h"

#include "platform/linux.h"
#include "transfer/send_firmware.h"

namespace {

struct TransferJob {
    void* progress;
    int sent;
};

void* TransferThread(void* job) {
    TransferJob* transfer = static_cast<TransferJob*>(job);
    transfer->sent = RunTransfer(transfer->progress);
    EndTransferProgress(transfer->progress);
    return nullptr;
}

} // namespace

int RunTransferOnWorker(void* progress) {
    sigset_t interrupt;
    sigset_t previous;
    sigemptyset(&interrupt);
    sigaddset(&interrupt, SIGINT);
    // A thread starts with its creator's signal mask.
    pthread_sigmask(SIG_BLOCK, &interrupt, &previous);
    TransferJob job = {progress, 0};
    pthread_t worker;
    const int created = pthread_create(&worker, nullptr, TransferThread, &job);
    pthread_sigmask(SIG_SETMASK, &previous, nullptr);
    if (created != 0) {
        return 0;
    }
    WatchTransferProgress(progress);
    pthread_join(worker, nullptr);
    return job.sent;
}
