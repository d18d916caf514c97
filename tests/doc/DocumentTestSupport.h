// Helpers for document tests: a scratch folder, file contents as bytes, a
// builder of document-file bytes, and prompts, progress and views that record.
#pragma once

#include "catalog/FolderItem.h"
#include "compare/ProgressIndicator.h"
#include "doc/DocumentPrompts.h"
#include "doc/Document.h"
#include "doc/DocumentView.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <deque>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace twinseek::testing {

// A fresh folder under /tmp, removed with everything in it at the end.
class TempDir {
public:
    TempDir() {
        char pattern[] = "/tmp/twinseek-doc-XXXXXX";
        if (mkdtemp(pattern) == nullptr) throw std::runtime_error("mkdtemp failed");
        path = pattern;
    }
    ~TempDir() {
        std::error_code ignored;
        std::filesystem::permissions(path, std::filesystem::perms::owner_all, ignored);
        std::filesystem::remove_all(path, ignored);
    }
    std::string Path(const std::string& name) const { return path + "/" + name; }
    // Names in the folder, sorted.
    std::vector<std::string> Names() const {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(path)) names.push_back(entry.path().filename());
        std::sort(names.begin(), names.end());
        return names;
    }

    std::string path;
};

inline std::string ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void WriteBytes(const std::string& path, std::string_view bytes) {
    std::ofstream(path, std::ios::binary).write(bytes.data(), std::streamsize(bytes.size()));
}

// Document-file bytes built field by field, all words little-endian.
struct TwsBytes {
    TwsBytes& Word(uint32_t value) {
        for (int shift = 0; shift < 32; shift += 8) bytes.push_back(char(value >> shift));
        return *this;
    }
    TwsBytes& Line(std::string_view text) {
        bytes.append(text);
        bytes.push_back('\n');
        return *this;
    }
    // An item record with zero times unless given.
    TwsBytes& Item(std::string_view name, uint64_t size = 0, int32_t state = 0, uint32_t attributes = 0,
                   std::string_view alternate = "", uint64_t writeTime = 0) {
        Word(attributes).Word(0).Word(0).Word(0).Word(0);
        Word(uint32_t(writeTime)).Word(uint32_t(writeTime >> 32));
        Word(uint32_t(size >> 32)).Word(uint32_t(size));
        return Line(name).Line(alternate).Word(uint32_t(state));
    }
    TwsBytes& File(std::string_view name, uint64_t size, int32_t state = 0, uint32_t hashMillis = 0,
                   std::string_view digest = "") {
        return Item(name, size, state).Word(hashMillis).Line(digest);
    }
    // The root's own record as the program writes it: all zero, no names.
    TwsBytes& Root() { return Item(""); }

    std::string bytes;
};

// Answers from a script and remembers what was asked; an unscripted question
// fails the test.
class ScriptedPrompts : public DocumentPrompts {
public:
    Answer AskSaveChanges(const char* text, const char* title) override {
        questions.push_back(std::string(title) + ": " + text);
        if (answers.empty()) {
            ADD_FAILURE() << "unexpected save question";
            return Answer::Cancel;
        }
        Answer answer = answers.front();
        answers.pop_front();
        return answer;
    }
    std::optional<std::string> ChooseOpenPath() override {
        ++openDialogs;
        return Pop(openChoices, "open");
    }
    std::optional<std::string> ChooseSavePath(const std::string& proposed) override {
        proposedSavePaths.push_back(proposed);
        return Pop(saveChoices, "save");
    }
    void ShowError(const std::string& text) override { errors.push_back(text); }

    std::deque<Answer> answers;
    std::deque<std::optional<std::string>> openChoices;
    std::deque<std::optional<std::string>> saveChoices;
    std::vector<std::string> questions;
    std::vector<std::string> proposedSavePaths;
    std::vector<std::string> errors;
    int openDialogs = 0;

private:
    static std::optional<std::string> Pop(std::deque<std::optional<std::string>>& choices, const char* dialog) {
        if (choices.empty()) {
            ADD_FAILURE() << "unexpected " << dialog << " dialog";
            return std::nullopt;
        }
        std::optional<std::string> choice = choices.front();
        choices.pop_front();
        return choice;
    }
};

// Records every run and fails the test on a step outside a run, past its
// range, or in a run of range 0.
class CheckedProgress : public ProgressIndicator {
public:
    struct Run {
        std::string text;
        int32_t range;
        int32_t steps = 0;
        bool ended = false;
    };
    void ProgressStart(std::string_view text, int32_t range) override {
        EXPECT_TRUE(runs.empty() || runs.back().ended) << "a run started inside another";
        EXPECT_GE(range, 0);
        runs.push_back({std::string(text), range});
    }
    void ProgressStep() override {
        ASSERT_FALSE(runs.empty() || runs.back().ended) << "a step outside a run";
        Run& run = runs.back();
        ++run.steps;
        EXPECT_LE(run.steps, run.range) << "a step past the range of " << run.text;
    }
    void ProgressEnd() override {
        ASSERT_FALSE(runs.empty() || runs.back().ended) << "an end outside a run";
        runs.back().ended = true;
    }

    std::vector<Run> runs;
};

class CountingView : public DocumentView {
public:
    void UpdateFromDocument() override { ++updates; }
    int updates = 0;
};

inline FindData Entry(const std::string& name, uint64_t size = 0, uint32_t attributes = FILE_ATTRIBUTE_NORMAL) {
    FindData data;
    data.SetName(name.c_str());
    data.SetSize(size);
    data.dwFileAttributes = attributes;
    return data;
}

// What a scan does for one file: files it under folder and, when new, in intake.
inline FileItem* ScanFile(Document& document, FolderItem* folder, const FindData& data) {
    bool created = false;
    FileItem* file = folder->FindOrCreateFile(data, created);
    if (created) document.intake.Insert(file->Size(), file);
    return file;
}

inline FolderItem* ScanFolder(FolderItem* parent, const std::string& name) {
    return parent->FindOrCreateFolder(Entry(name, 0, FILE_ATTRIBUTE_DIRECTORY));
}

// Marks a committed file as compared, as the compare engine would.
inline void Finish(FileItem* file, const std::string& digest, uint32_t hashMillis) {
    file->SetDigestText(digest);
    file->hashMillis = hashMillis;
    file->compareState = Finished;
}

}  // namespace twinseek::testing
