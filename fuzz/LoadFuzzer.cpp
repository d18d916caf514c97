// Feeds arbitrary bytes to the document loader. A load must either fail with
// an empty catalogue or give a consistent one that stores back stably.
#include "document/Document.h"
#include "document/HeadlessPrompts.h"
#include "document/TwsFormat.h"
#include "platform/CXFile.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <sys/mman.h>
#include <unistd.h>

using namespace twinseek;

namespace {

void Require(bool condition, const char* what) {
    if (condition) return;
    std::fprintf(stderr, "violated: %s\n", what);
    std::abort();
}

// An anonymous in-memory file, reachable by path like any other.
class MemoryFile {
public:
    MemoryFile() : descriptor(memfd_create("tws", MFD_CLOEXEC)) { Require(descriptor != -1, "memfd_create"); }
    ~MemoryFile() { close(descriptor); }
    std::string Path() const { return "/proc/self/fd/" + std::to_string(descriptor); }
    void Fill(const uint8_t* data, size_t size) {
        Require(ftruncate(descriptor, 0) == 0, "ftruncate");
        for (size_t done = 0; done < size;) {
            ssize_t written = pwrite(descriptor, data + done, size - done, off_t(done));
            Require(written > 0, "pwrite");
            done += size_t(written);
        }
    }
    std::string Contents() const {
        std::string contents;
        char buffer[65536];
        for (off_t offset = 0;;) {
            ssize_t got = pread(descriptor, buffer, sizeof buffer, offset);
            Require(got >= 0, "pread");
            if (got == 0) return contents;
            contents.append(buffer, size_t(got));
            offset += got;
        }
    }

private:
    int descriptor;
};

std::string StoreToMemory(const FolderItem& root, MemoryFile& target) {
    CXFile file;
    file.Open(target.Path(), CXFile::Access::Write, CXFile::Creation::CreateAlways);
    NullProgressIndicator progress;
    CXArchive archive(&file, CXArchive::Store);
    StoreCatalog(archive, root, progress);
    archive.Close();
    file.Close();
    return target.Contents();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    MemoryFile input;
    input.Fill(data, size);
    HeadlessPrompts prompts;
    Document document(prompts);
    size_t finished = 0;
    document.onFinishedLoaded = [&](FileItem* file, uint32_t) {
        Require(file->compareState == Finished, "only Finished files reach the Finished list");
        ++finished;
    };
    document.onCatalogCleared = [&] { finished = 0; };

    bool loaded = document.OpenFile(input.Path());
    Require(document.catalog.Count() == document.root->CountFiles(), "every file catalogued once");
    Require(document.duplicates.FileCount() <= finished, "only Finished files indexed");
    Require(loaded == prompts.TakeErrors().empty(), "a failure and only a failure is reported");
    if (!loaded) {
        Require(document.root->CountFiles() == 0 && document.root->ChildFolders().empty(), "emptied");
        Require(document.path.empty() && finished == 0, "path and Finished list dropped");
        return 0;
    }

    // What the loader kept is normalised: storing it, loading that and storing
    // again gives the same bytes.
    MemoryFile first;
    std::string stored = StoreToMemory(*document.root, first);
    Document reloaded(prompts);
    Require(reloaded.OpenFile(first.Path()), "a stored catalogue loads");
    MemoryFile second;
    Require(StoreToMemory(*reloaded.root, second) == stored, "stores back to the same bytes");
    return 0;
}
