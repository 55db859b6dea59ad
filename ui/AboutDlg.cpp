#include "ui/AboutDlg.h"

#include "ui/ProductInfo.h"
#include "ui/ResourcePaths.h"

#include <QIcon>
#include <QPixmap>

namespace varne {

namespace {

constexpr int kIconSize = 32;

} // namespace

CAboutDlg::CAboutDlg(QWidget* parent)
    : QDialog(parent), layout_(this), icon_(this), title_(QString::fromUtf8(kProductTitle), this),
      version_(QString::fromUtf8(kProductVersion), this), ok_(QStringLiteral("OK"), this) {
    setWindowTitle(QStringLiteral("About..."));
    setWindowIcon(QIcon(QString::fromUtf8(kIconResourcePath)));
    icon_.setPixmap(
        QPixmap(QString::fromUtf8(kSmallIconResourcePath))
            .scaled(kIconSize, kIconSize, Qt::KeepAspectRatio, Qt::SmoothTransformation));
    icon_.setAlignment(Qt::AlignTop | Qt::AlignHCenter);

    layout_.setContentsMargins(20, 20, 20, 16);
    layout_.setHorizontalSpacing(16);
    layout_.setVerticalSpacing(8);
    layout_.addWidget(&icon_, 0, 0, 2, 1);
    layout_.addWidget(&title_, 0, 1);
    layout_.addWidget(&version_, 1, 1);
    layout_.addWidget(&ok_, 2, 0, 1, 2, Qt::AlignHCenter);
    layout_.setSizeConstraint(QLayout::SetFixedSize);

    ok_.setDefault(true);
    ok_.setMinimumWidth(108);
    connect(&ok_, &QPushButton::clicked, this, &QDialog::accept);
}

CAboutDlg::~CAboutDlg() = default;

} // namespace varne
