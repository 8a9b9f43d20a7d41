#pragma once
// Find in a server's configuration: a text (txtFind), whether only directive
// names count (chkDirectiveNamesOnly), the hits (lstFindResults: node, file,
// line, text) and how many there are (lblFindCount). Choosing a hit (double
// click or Enter) hands it to the console, which selects its node and shows
// the line in the source view. The dialog stays open beside the console.
#include "snapin/ConfigSearch.h"

#include <QDialog>

#include <functional>

class QCheckBox;
class QLabel;
class QLineEdit;
class QTreeWidget;

namespace corvane::snapin {

class FindDialog : public QDialog
{
    Q_OBJECT
public:
    using Search = std::function<std::vector<SearchHit>(const QString& text, bool namesOnly,
                                                        std::size_t limit, std::size_t* total)>;
    using Choose = std::function<void(const SearchHit& hit)>;

    FindDialog(const QString& serverName, Search search, Choose choose, QWidget* parent);

    const QString& serverName() const { return m_server; }
    // Runs the search for the text in txtFind.
    void findNow();
    // Hands the hit of a result row to the console.
    void choose(int row);

    // More hits than this are counted but not listed.
    static constexpr std::size_t kMaxListed = 5000;

private:
    QString m_server;
    Search m_search;
    Choose m_choose;
    QLineEdit* m_text;
    QCheckBox* m_namesOnly;
    QTreeWidget* m_results;
    QLabel* m_count;
    std::vector<SearchHit> m_hits;
};

} // namespace corvane::snapin
