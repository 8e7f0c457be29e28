#pragma once

#include <QListView>

class StatusLineModel;

// The status list: an append-only list of lines, the newest selectable and scrolled into view.
class StatusList : public QListView {
    Q_OBJECT
public:
    explicit StatusList(QWidget* parent = nullptr);
    ~StatusList() override;

    void AddItem(const QString& line);  // appends at the end
    int ListCount() const;              // number of lines
    int ListIndex() const;              // selected line, -1 when none
    void setListIndex(int index);       // selects the line and scrolls it into view
    QString List(int index) const;      // the text of a line

private:
    StatusLineModel* m_model;
};
