// A view of the document's catalogue that rebuilds itself when the document
// has been replaced (opened, reset) or records have left it (deleted files),
// and lets go of records before they go.
#pragma once

namespace twinseek {

class DocumentView {
public:
    virtual ~DocumentView() = default;
    virtual void UpdateFromDocument() = 0;
    // Every record is about to be deleted: drop whatever points at one.
    virtual void CatalogAboutToBeCleared() {}
};

}  // namespace twinseek
