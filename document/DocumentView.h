// A view of the document's catalogue that rebuilds itself when the document
// has been replaced (opened, reset).
#pragma once

namespace twinseek {

class DocumentView {
public:
    virtual ~DocumentView() = default;
    virtual void UpdateFromDocument() = 0;
};

}  // namespace twinseek
