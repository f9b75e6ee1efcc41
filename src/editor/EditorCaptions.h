#pragma once

#include <QString>

// The captions the editor's buttons carry as their state, and the design values the page and its
// three parts share. Handlers compare captions exactly, so each is written once here.
namespace kovu::editor {

inline const QString kAdd = QStringLiteral("添加(&T)");
inline const QString kSave = QStringLiteral("保存(&T)");
inline const QString kNextNew = QStringLiteral("下个(&T)");
inline const QString kUndoChange = QStringLiteral("撤消(&T)");
inline const QString kModify = QStringLiteral("修改(&X)");
inline const QString kUndoNew = QStringLiteral("撤消(&X)");
inline const QString kConfirm = QStringLiteral("确定(&X)");
inline const QString kNextChanged = QStringLiteral("下个(&X)");
inline const QString kDelete = QStringLiteral("删除(&S)");
inline const QString kChoosePicture = QStringLiteral("选择图片(&D)");
inline const QString kStorePicture = QStringLiteral("录入图片(&D)");
inline const QString kDropPicture = QStringLiteral("图片撤消(&P)");
inline const QString kPinyinHint = QStringLiteral("[拼音生字录入或编辑修改]");
inline const QString kEnglishHint = QStringLiteral("[英语单词录入或编辑修改]");
inline constexpr int kGridHeight = 292;

}  // namespace kovu::editor
