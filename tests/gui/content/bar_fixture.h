#pragma once

#include <QApplication>
#include <QColor>
#include <QElapsedTimer>
#include <QImage>
#include <QLabel>
#include <QWidget>
#include <filesystem>
#include <functional>
#include <gtest/gtest.h>
#include <map>
#include <memory>
#include <mutex>

#include "gui/widgets/image_button.h"
#include "gui/content/button_bar.h"
#include "tests/support/http_fixture.h"
#include "tests/support/temp_dir.h"

// Keeps the event loop turning until done() or the time is up.
inline bool waitFor(const std::function<bool()>& done, int ms = 20000)
{
    QElapsedTimer t;
    t.start();
    while (!done()) {
        if (t.elapsed() > ms)
            return false;
        QApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    return true;
}

// A 30 x 30 Windows bitmap of one colour.
inline void writeBitmap(const std::string& path, QColor color)
{
    QImage image(30, 30, QImage::Format_RGB32);
    image.fill(color);
    ASSERT_TRUE(image.save(QString::fromStdString(path), "BMP")) << path;
}

inline std::string bitmapBytes(QColor color)
{
    TempDir dir;
    writeBitmap(dir.file("x.bmp"), color);
    return readBytes(dir.file("x.bmp"));
}

inline QColor pictureColor(const ImageButton* b)
{
    return b->picture().isNull() ? QColor() : b->picture().toImage().pixelColor(5, 5);
}

// The logged-in panel's part of the main window that the bar works on, laid
// out as the main window lays it out, over a temporary program directory.
class BarWidgets {
public:
    TempDir appDir;
    std::string resDir = appDir.path() + "./res/";
    QWidget panel1;
    ImageButton* first = new ImageButton(&panel1);
    QLabel* title = new QLabel(&panel1);
    QWidget* mainPanel = new QWidget(&panel1);
    QWidget* softPanel = new QWidget(&panel1);
    std::unique_ptr<ButtonBar> bar;

    BarWidgets()
    {
        std::filesystem::create_directories(appDir.path() + "res");
        panel1.setObjectName("Panel1");
        panel1.resize(260, 590);
        first->setObjectName("bsSkinSpeedButton1");
        first->setGeometry(1, 95, 29, 30);
        first->setProperty("entryIndex", 0);
        title->setObjectName("Titlelb");
        title->setGeometry(30, 100, 224, 22);
        mainPanel->setObjectName("Mainpanel");
        mainPanel->setGeometry(30, 126, 224, 402);
        softPanel->setObjectName("SoftPanel");
        softPanel->setGeometry(37, 100, 224, 402);
        softPanel->hide();
        panel1.show();
        bar = std::make_unique<ButtonBar>(
            ButtonBar::Widgets { &panel1, first, title, mainPanel, softPanel }, resDir);
    }

    ImageButton* button(int number) const
    {
        return panel1.findChild<ImageButton*>(QStringLiteral("bsSkinSpeedButton%1").arg(number));
    }
    int buttonsNamed(int number) const
    {
        int n = 0;
        for (auto* b : panel1.findChildren<ImageButton*>(QStringLiteral("bsSkinSpeedButton%1").arg(number)))
            n += b->isVisible() ? 1 : 0;
        return n;
    }
};

// A content server on 127.0.0.1: bytes by request path; 404 for the rest.
class FileServer {
public:
    void put(const std::string& path, std::string bytes)
    {
        std::lock_guard g(lock_);
        files_[path] = std::move(bytes);
    }
    void remove(const std::string& path)
    {
        std::lock_guard g(lock_);
        files_.erase(path);
    }
    std::string base() const { return http.base(); }
    // Request paths, in order.
    std::vector<std::string> paths() const
    {
        std::vector<std::string> out;
        for (const auto& head : http.requests())
            out.push_back(head.substr(4, head.find(' ', 4) - 4));
        return out;
    }
    size_t count(const std::string& path) const
    {
        size_t n = 0;
        for (const auto& p : paths())
            n += p == path ? 1 : 0;
        return n;
    }

private:
    mutable std::mutex lock_;
    std::map<std::string, std::string> files_;

public:
    RecordingHttpServer http { [this](const std::string& target) {
        std::lock_guard g(lock_);
        const auto it = files_.find(target);
        if (it == files_.end())
            return RecordingHttpServer::Reply { 404, "", {} };
        const bool html = target.find(".htm") != std::string::npos || target.back() == '/';
        const bool swf = target.find(".swf") != std::string::npos;
        return RecordingHttpServer::Reply { 200, it->second,
            { std::string("Content-Type: ")
                + (html       ? "text/html; charset=utf-8"
                        : swf ? "application/x-shockwave-flash"
                              : "application/octet-stream") } };
    } };
};
