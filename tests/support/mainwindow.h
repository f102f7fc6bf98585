#pragma once
// A main window for tests: its settings file in a fresh folder, exceptions recorded instead of
// shown in a modal box, and helpers to read the status lines.

#include "core/codepage.h"
#include "core/guard.h"
#include "terminal/fmain.h"
#include "terminal/settings.h"
#include "ui/edit.h"
#include "ui/fonts.h"
#include "ui/glyphbutton.h"
#include "ui/pane.h"

#include <QFile>
#include <QTemporaryDir>

#include <memory>

struct MainWindowFixture {
    QTemporaryDir dir;
    QStringList exceptions; // what reached the exception box
    guard::Handler previous;
    std::unique_ptr<TfMain> window;

    MainWindowFixture()
    {
        fonts::install();
        settings::setProgramFilePath(dir.filePath(QStringLiteral("miraven")));
        previous = guard::setHandler([this](const std::exception &e) { exceptions << QString::fromUtf8(e.what()); });
    }
    ~MainWindowFixture()
    {
        window.reset();
        guard::setHandler(previous);
        settings::setProgramFilePath({});
    }

    TfMain &open()
    {
        window = std::make_unique<TfMain>();
        return *window;
    }

    QString settingsPath() const { return settings::settingsFilePath(); }
    QByteArray settingsFile() const
    {
        QFile f(settingsPath());
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    void writeSettings(const QByteArray &content) const
    {
        QFile f(settingsPath());
        f.open(QIODevice::WriteOnly | QIODevice::Truncate);
        f.write(content);
    }

    // The text of a pane in Unicode, its line breaks as '\n'.
    static QString shown(const TPane *pane)
    {
        return cp1254::toUnicode(pane->Text()).replace(QLatin1String("\r\n"), QLatin1String("\n"));
    }
    QStringList statusLines() const
    {
        QString t = shown(window->Memo1);
        if (t.endsWith(u'\n'))
            t.chop(1);
        return t.isEmpty() ? QStringList() : t.split(u'\n');
    }
    bool connected() const { return !window->btnbaglan->isEnabled() && window->btnkes->isEnabled(); }
    bool notConnected() const { return window->btnbaglan->isEnabled() && !window->btnkes->isEnabled(); }
};
