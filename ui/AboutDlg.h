#pragma once

#include <QDialog>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>

namespace varne {

// The About box: the program's icon, its title and version, and OK.
class CAboutDlg : public QDialog {
    Q_OBJECT

public:
    explicit CAboutDlg(QWidget* parent = nullptr);
    ~CAboutDlg() override;

private:
    QGridLayout layout_;
    QLabel icon_;
    QLabel title_;
    QLabel version_;
    QPushButton ok_;
};

} // namespace varne
