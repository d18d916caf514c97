// Writes a few valid documents into the folder given, as seeds for the
// document-loader fuzzer.
#include "document/Document.h"
#include "document/HeadlessPrompts.h"

#include <cstdio>
#include <string>

using namespace twinseek;

namespace {

FindData Entry(const char* name, uint64_t size, uint32_t attributes) {
    FindData data;
    data.SetName(name);
    data.SetSize(size);
    data.dwFileAttributes = attributes;
    data.ftLastWriteTime = FileTime::FromValue(0x01D9000000000000ull + size);
    return data;
}

FileItem* AddFile(Document& document, FolderItem* folder, const char* name, uint64_t size) {
    bool created = false;
    FileItem* file = folder->FindOrCreateFile(Entry(name, size, FILE_ATTRIBUTE_NORMAL), created);
    if (created) document.intake.Insert(file->Size(), file);
    return file;
}

void Finish(FileItem* file, const char* digest, uint32_t millis) {
    file->SetDigestText(digest);
    file->hashMillis = millis;
    file->compareState = Finished;
}

bool Save(Document& document, const std::string& path) {
    document.modified = true;
    document.path = path;
    return document.Store();
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s FOLDER\n", argv[0]);
        return 2;
    }
    std::string folder = argv[1];
    HeadlessPrompts prompts;
    bool saved = true;

    Document empty(prompts);
    saved &= Save(empty, folder + "/empty.tws");

    Document single(prompts);
    AddFile(single, single.root, "a", 5);
    single.CommitScan(true);
    saved &= Save(single, folder + "/single.tws");

    Document varied(prompts);
    FolderItem* slash = varied.root->FindOrCreateFolder(Entry("/", 0, FILE_ATTRIBUTE_DIRECTORY));
    FolderItem* home = slash->FindOrCreateFolder(Entry("home", 0, FILE_ATTRIBUTE_DIRECTORY));
    FolderItem* music = home->FindOrCreateFolder(Entry("Music", 0, FILE_ATTRIBUTE_DIRECTORY));
    FolderItem* copies = home->FindOrCreateFolder(Entry("copies", 0, FILE_ATTRIBUTE_DIRECTORY));
    Finish(AddFile(varied, music, "song.mp3", 4000000), "ABCDEFGHIJKLMNOPQRSTUVWXYZ234567", 1500);
    Finish(AddFile(varied, copies, "song.mp3", 4000000), "ABCDEFGHIJKLMNOPQRSTUVWXYZ234567", 1400);
    Finish(AddFile(varied, copies, "locked", 4000000), kUnopenableText, 2);
    AddFile(varied, copies, "huge.iso", 0x140000003ull);
    AddFile(varied, home, ".hidden", 0);
    varied.CommitScan(true);
    saved &= Save(varied, folder + "/varied.tws");

    for (std::string& error : prompts.TakeErrors()) std::fprintf(stderr, "%s\n", error.c_str());
    return saved ? 0 : 1;
}
