#include "platform/Fonts.h"

#include <fontconfig/fontconfig.h>

#include <QCoreApplication>
#include <QFont>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>
#include <future>
#include <memory>
#include <system_error>
#include <thread>

namespace kovu {

namespace {

struct FontMap {
    const char* design;
    QStringList candidates;
};

const QList<FontMap>& fontMaps() {
    static const QList<FontMap> maps = {
        {"宋体", {"AR PL SungtiL GB", "Noto Serif CJK SC", "AR PL UMing CN"}},
        {"楷体_GB2312", {"AR PL KaitiM GB", "AR PL UKai CN", "Noto Serif CJK SC"}},
        {"黑体", {"WenQuanYi Zen Hei", "Noto Sans CJK SC", "Droid Sans Fallback"}},
        {"仿宋_GB2312", {"cwTeXFangSong", "AR PL UMing CN", "Noto Serif CJK SC"}},
    };
    return maps;
}

QStringList substitutesAmong(const QStringList& installed, const QString& designFamily) {
    for (const FontMap& m : fontMaps()) {
        if (designFamily != QString::fromUtf8(m.design)) continue;
        QStringList out;
        for (const QString& c : m.candidates)
            if (installed.contains(c)) out << c;
        return out;
    }
    return {};
}

// The worker that reads the font configuration ahead, joined when the program ends.
struct ConfigurationAhead {
    std::thread worker;
    std::shared_future<void> read;
    ~ConfigurationAhead() {
        if (worker.joinable()) worker.join();
    }
};

ConfigurationAhead& configurationAhead() {
    static ConfigurationAhead a;
    return a;
}

}  // namespace

void loadFontConfigurationAhead(std::function<void()> andThen) {
    ConfigurationAhead& a = configurationAhead();
    if (a.read.valid()) {
        if (andThen) andThen();
        return;
    }
    auto read = std::make_shared<std::promise<void>>();
    try {
        a.worker = std::thread([read, andThen] {
            FcInit();
            read->set_value();
            if (andThen) andThen();
        });
        a.read = read->get_future().share();
    } catch (const std::system_error&) {
        // No thread to be had: Qt reads the configuration itself at its first font.
        if (andThen) andThen();
    }
}

QStringList fontSubstitutes(const QString& designFamily) {
    return substitutesAmong(QFontDatabase::families(), designFamily);
}

void installChineseFonts() {
    if (const std::shared_future<void>& read = configurationAhead().read; read.valid()) read.wait();
    // The list of installed families is built once: each call makes it anew.
    const QStringList installed = QFontDatabase::families();
    for (const FontMap& m : fontMaps()) {
        const QString design = QString::fromUtf8(m.design);
        const QStringList subs = substitutesAmong(installed, design);
        if (!subs.isEmpty()) QFont::insertSubstitutions(design, subs);
    }
    // Ordinary texts (captions, lists, messages) use a complete CJK sans face.
    QStringList general;
    for (const char* f : {"Noto Sans CJK SC", "WenQuanYi Zen Hei", "Droid Sans Fallback"})
        if (installed.contains(f)) general << f;
    if (!general.isEmpty()) {
        QFont::insertSubstitutions("DejaVu Sans", general);
        if (qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
            QGuiApplication::setFont(QFont(general.first(), 9));
    }
}

void installChineseTranslations() {
    auto* t = new QTranslator(QCoreApplication::instance());
    if (t->load(QLocale(QLocale::Chinese, QLocale::China), "qtbase", "_",
                QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QCoreApplication::installTranslator(t);
    else
        delete t;
}

}  // namespace kovu
