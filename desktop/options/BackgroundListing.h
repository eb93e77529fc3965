// Lists a folder on a thread of its own and hands the result to the user-interface
// thread. A newer listing replaces a running one, whose result is then dropped, and
// so is every result that arrives after the owner is gone.
#pragma once

#include <QObject>
#include <QStringList>

#include <functional>

namespace tidorax {

struct ListedFiles {
    QStringList files;
    QStringList saved;   // the saved cookies, for the Cookies tab
    QStringList folders; // the subfolders, for the Your Folder tab
};

class BackgroundListing : public QObject {
    Q_OBJECT
public:
    using Done = std::function<void(const ListedFiles& listing)>;

    explicit BackgroundListing(QObject* parent);

    // Runs work off the user-interface thread and calls done with its result on that
    // thread, unless another start or a cancel came first. A work that fails gives an
    // empty listing. A work that reads the settings store is waited for at the end
    // (WaitForAll); one that reads folders alone is not, since a folder on a mount that
    // does not answer may keep it forever.
    void start(std::function<ListedFiles()> work, Done done, bool readsSettings = true);
    // Drops the running listing's result.
    void cancel();
    // Waits until every listing thread of the program has ended (before the settings
    // store and the platform they read go away).
    static void WaitForAll();
    bool running() const { return running_; }

private:
    quint64 generation_ = 0;
    bool running_ = false;
};

// The listing's files as texts.
QStringList ToStringList(const std::vector<std::string>& files);

} // namespace tidorax
