#pragma once

#include <QMainWindow>

class QMdiArea;

// The program's frame: a multi-document window with the only menu bar; the
// wizard screens and the database editors open inside it.
class MDIForm1 : public QMainWindow {
    Q_OBJECT
public:
    explicit MDIForm1(QWidget* parent = nullptr);
    ~MDIForm1() override;

    QMdiArea* mdiArea() const { return m_area; }

private:
    QMdiArea* m_area = nullptr;
};
