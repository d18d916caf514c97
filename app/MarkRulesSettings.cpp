#include "app/MarkRulesSettings.h"

#include <QSettings>

namespace twinseek {

namespace {

const char kKeepName[] = "MarkCopiesKeep";
const char kFolderName[] = "MarkCopiesFolder";
const char kReferencesName[] = "MarkCopiesReferences";

QByteArray Bytes(const std::string& text) { return QByteArray(text.data(), qsizetype(text.size())); }

}  // namespace

MarkRules LoadMarkRules(QSettings& settings) {
    MarkRules rules;
    const QByteArray keep = settings.value(kKeepName).toString().toUtf8();
    rules.keep = KeepRuleNamed(std::string_view(keep.constData(), size_t(keep.size()))).value_or(rules.keep);
    rules.keepFolder = settings.value(kFolderName).toByteArray().toStdString();
    // A list of one is read back from the settings file as that one value.
    const QVariant stored = settings.value(kReferencesName);
    const QVariantList folders = stored.typeId() == QMetaType::QVariantList ? stored.toList() : QVariantList{stored};
    for (const QVariant& folder : folders)
        if (QByteArray bytes = folder.toByteArray(); !bytes.isEmpty()) rules.referenceFolders.push_back(bytes.toStdString());
    return rules;
}

void SaveMarkRules(QSettings& settings, const MarkRules& rules) {
    const std::string_view keep = KeepRuleName(rules.keep);
    settings.setValue(kKeepName, QString::fromUtf8(keep.data(), qsizetype(keep.size())));
    settings.setValue(kFolderName, Bytes(rules.keepFolder));
    QVariantList references;
    for (const std::string& folder : rules.referenceFolders) references.append(Bytes(folder));
    settings.setValue(kReferencesName, references);
}

}  // namespace twinseek
