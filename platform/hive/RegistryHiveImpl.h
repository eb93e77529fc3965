// The state behind a RegistryHive, shared by the files that implement its calls: the
// open store, the handles given out for opened keys, the log-on value's autostart
// entry, the lock and the write group's depth.
#pragma once

#include "platform/hive/AutostartEntry.h"
#include "platform/hive/HiveError.h"
#include "platform/hive/HiveStore.h"
#include "platform/hive/RegistryHive.h"
#include "platform/hive/StoreWaits.h"

#include <chrono>
#include <map>
#include <memory>
#include <mutex>
#include <new>
#include <string>

namespace tidorax {

struct RegistryHive::Impl {
    // An opened key: its id in the store and the rights it was opened with.
    struct Handle {
        std::int64_t key = 0;
        REGSAM access = 0;
    };
    // Handles given out for opened keys start here and never reach the predefined roots.
    static constexpr HKEY kFirstHandle = 0x1000;

    Impl(std::string hivePath, AutostartRedirect redirect);

    std::string path;
    AutostartEntry autostart;
    std::timed_mutex mutex;
    std::unique_ptr<HiveStore> store;
    LONG openError = ERROR_CANTOPEN;
    std::map<HKEY, Handle> handles;
    HKEY nextHandle = kFirstHandle;
    int groupDepth = 0; // open BeginWriteGroup calls that succeeded

    // Opens the file when it is not open yet; on failure remembers why.
    void ensureOpen();
    // The key behind a handle, after checking that it is valid, that it was opened
    // with the rights the call needs and that its key still exists.
    Handle resolve(HKEY hKey, REGSAM needed);
    void requireWritable() const;
    HKEY addHandle(std::int64_t key, REGSAM access);
    bool isRunValue(std::int64_t key, const char* valueName) const;
    LONG writeRunValue(DWORD type, const BYTE* lpData, DWORD cbData) const;

    // Runs one call under the lock and turns every failure into its result code. A
    // lock another thread holds longer than this thread waits fails the call.
    template <typename Call> LONG guarded(Call&& call) {
        std::unique_lock<std::timed_mutex> lock(mutex, std::defer_lock);
        if (!lock.try_lock_for(std::chrono::milliseconds(StoreWaitNowOfThisThread()))) {
            StoreWaitGivenUpByThisThread();
            return ERROR_CANTREAD;
        }
        try {
            return call();
        } catch (const HiveError& error) {
            if (error.code == ERROR_BADDB) {
                // The file went bad under us: stop using it until it can be opened again.
                store.reset();
                openError = ERROR_BADDB;
                groupDepth = 0;
            }
            return error.code;
        } catch (const std::bad_alloc&) {
            return ERROR_NOT_ENOUGH_MEMORY;
        }
    }
};

} // namespace tidorax
