#pragma once

#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QRect>
#include <QTimer>

#include "gui/widgets/elided_label.h"
#include "gui/widgets/pixmap_file.h"

// Small builders for the windows' controls: every control carries its name
// as objectName, since tests and the other windows find it by that.
namespace widgets {

template <typename W> W* make(QWidget* parent, const char* name, QRect geometry)
{
    auto* w = new W(parent);
    w->setObjectName(QString::fromLatin1(name));
    w->setGeometry(geometry);
    return w;
}

inline QLabel* label(QWidget* parent, const char* name, const char* text, QRect geometry)
{
    auto* l = make<QLabel>(parent, name, geometry);
    l->setText(QString::fromUtf8(text));
    return l;
}

// A label whose text may be longer than its width: drawn with "…", whole in its tip.
inline ElidedLabel* elidedLabel(QWidget* parent, const char* name, const char* text, QRect geometry)
{
    auto* l = make<ElidedLabel>(parent, name, geometry);
    l->setText(QString::fromUtf8(text));
    return l;
}

inline QLabel* linkLabel(QWidget* parent, const char* name, const char* text, QRect geometry)
{
    auto* l = label(parent, name, text, geometry);
    l->setCursor(Qt::PointingHandCursor);
    return l;
}

inline QLabel* picture(QWidget* parent, const char* name, const char* resource, QRect geometry)
{
    auto* l = make<QLabel>(parent, name, geometry);
    l->setPixmap(loadPixmap(QString::fromLatin1(resource)));
    l->setScaledContents(true);
    return l;
}

inline QCheckBox* checkBox(QWidget* parent, const char* name, const char* text, bool checked, QRect geometry)
{
    auto* c = make<QCheckBox>(parent, name, geometry);
    c->setText(QString::fromUtf8(text));
    c->setChecked(checked);
    return c;
}

inline QPushButton* button(QWidget* parent, const char* name, const char* text, QRect geometry)
{
    auto* b = make<QPushButton>(parent, name, geometry);
    b->setText(QString::fromUtf8(text));
    return b;
}

inline QTimer* timer(QObject* parent, const char* name, int intervalMs)
{
    auto* t = new QTimer(parent);
    t->setObjectName(QString::fromLatin1(name));
    t->setInterval(intervalMs);
    return t;
}

// The face and size several labels take once the window shows.
inline void setSong9(QWidget* w)
{
    QFont f = w->font();
    f.setFamily(QStringLiteral("宋体"));
    f.setPointSize(9);
    w->setFont(f);
}

} // namespace widgets
