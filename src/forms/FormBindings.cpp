#include "forms/FormBindings.h"

#include "forms/FormSupport.h"
#include "forms/ListViewRows.h"
#include "model/ConfigFile.h"
#include "model/Directive.h"
#include "model/ModelProcedures.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QLineEdit>
#include <QObject>
#include <QTreeWidget>

#include <algorithm>

namespace corvane {

namespace {

// Per cell of a bound list: the bytes it was loaded from and the text it
// showed then, so that a cell left alone is written back as it was.
constexpr int kRawRole = Qt::UserRole + 10;
constexpr int kLoadedRole = Qt::UserRole + 11;

bool isOneQuotedToken(const std::string& s)
{
    return s.size() >= 2 && s.front() == '"' && s.back() == '"' && s.find('"', 1) == s.size() - 1;
}

void setControlText(QWidget* w, const QString& text)
{
    if (auto* e = qobject_cast<QLineEdit*>(w)) {
        e->setText(text);
        e->setCursorPosition(0);
    } else if (auto* c = qobject_cast<QComboBox*>(w)) {
        const int i = c->findText(text, Qt::MatchFixedString);
        if (c->isEditable())
            c->setEditText(text);
        else
            c->setCurrentIndex(i);
    }
}

std::string join(const std::vector<std::string>& parts)
{
    std::string out;
    for (const std::string& p : parts) {
        const std::string t = Trim(p);
        if (t.empty())
            continue;
        if (!out.empty())
            out += ' ';
        out += t;
    }
    return out;
}

// Which columns of a row shape hold a single parameter (shown without quotes).
bool wholeTextColumn(FormBindings::RowShape shape)
{
    return shape == FormBindings::RowShape::WholeText;
}

} // namespace

// ---- shared helpers ---------------------------------------------------------

QString FormBindings::trimBlanks(QString s)
{
    qsizetype b = 0;
    qsizetype e = s.size();
    while (b < e && s.at(b) == u' ')
        ++b;
    while (e > b && s.at(e - 1) == u' ')
        --e;
    return s.mid(b, e - b);
}

std::string FormBindings::unquoted(std::string value)
{
    if (value.size() >= 2 && value.front() == '"' && value.back() == '"')
        value = value.substr(1, value.size() - 2);
    return value;
}

std::string FormBindings::readValue(const Directive& d, ReadAs read)
{
    if (read == ReadAs::FirstParam)
        return d.GetParam(1);
    const std::string list = Trim(d.GetParamList());
    return read == ReadAs::Unquoted ? unquoted(list) : list;
}

QStringList FormBindings::paramsOf(ConfigFile& model, std::int32_t scopeNo, const QString& directive,
                                   std::int32_t* number)
{
    QStringList out;
    if (number)
        *number = 0;
    const Directive* d = model.FindAppliedSubDirective(directive.toStdString(), scopeNo);
    if (!d || d->DirectiveNo() < 1)
        return out;
    if (number)
        *number = d->DirectiveNo();
    for (int i = 1; i <= d->GetParamCount(); ++i)
        out << TextCodec::toQ(unquoted(d->GetParam(i)));
    return out;
}

QString FormBindings::placesNote(ConfigFile& model, std::int32_t scopeNo, const QString& directive)
{
    const std::string name = directive.toStdString();
    const std::vector<Directive*> all = model.GetAllMatchingSubDirectives(name, scopeNo);
    if (all.size() < 2)
        return {};
    const Directive* applied = model.FindAppliedSubDirective(name, scopeNo);
    QStringList places;
    std::string firstFile;
    bool severalFiles = false;
    for (const Directive* d : all) {
        const ConfigFile::LinePlace p = model.PlaceOf(d);
        if (p.line < 1)
            continue;
        if (places.isEmpty())
            firstFile = p.file;
        else if (p.file != firstFile)
            severalFiles = true;
        QString place =
            TextCodec::toQ(PathBelowRoot(p.file, model.ServerRoot())) + u':' + QString::number(p.line);
        if (d == applied)
            place += QStringLiteral(" (applied)");
        places << place;
    }
    if (!severalFiles)
        return {};
    return QStringLiteral("%1 stands in more than one file; Apache applies the last one read, which this "
                          "control shows and changes:\n")
               .arg(directive) +
           places.join(u'\n');
}

QString FormBindings::written(QString text, WriteAs write)
{
    text = trimBlanks(text);
    if (write == WriteAs::Text || text.isEmpty())
        return text;
    text.remove(u'"');
    text = trimBlanks(text);
    if (!text.isEmpty() && (write == WriteAs::QuotedPath || text.contains(u' ') || text.contains(u'\t')))
        text = u'"' + text + u'"';
    return text;
}

std::string FormBindings::quotedIfBlank(const std::string& value)
{
    const std::string v = Trim(value);
    if (v.find('"') != std::string::npos)
        return v; // quoted as typed
    if (v.find(' ') != std::string::npos || v.find('\t') != std::string::npos)
        return '"' + v + '"';
    return v;
}

int FormBindings::updateDirective(ConfigFile& model, std::int32_t scopeNo, const QString& directive,
                                  const QString& text, WriteAs write, const std::string& original)
{
    return model.UpdateDirective(directive.toStdString(), TextCodec::fromQ(written(text, write), original),
                                 scopeNo);
}

ListRows FormBindings::rowsOf(const std::vector<Directive*>& directives, RowShape shape)
{
    ListRows rows;
    for (const Directive* d : directives) {
        if (!d || d->DirectiveNo() < 1)
            continue;
        const int count = d->GetParamCount();
        switch (shape) {
        case RowShape::FirstRest:
            rows.push_back({d->GetParam(1), Trim(d->GetParamListFrom(2))});
            break;
        case RowShape::SecondFirstRest:
            rows.push_back({d->GetParam(2), d->GetParam(1), Trim(d->GetParamListFrom(3))});
            break;
        case RowShape::WholeText:
            rows.push_back({Trim(d->GetParamList())});
            break;
        case RowShape::ParamPerRow:
            for (int i = 1; i <= count; ++i)
                rows.push_back({d->GetParam(i)});
            break;
        case RowShape::ExtraParamPerRow:
            for (int i = 2; i <= count; ++i)
                rows.push_back({d->GetParam(1), d->GetParam(i)});
            break;
        case RowShape::ParamThenKeyPerRow:
            for (int i = 2; i <= count; ++i)
                rows.push_back({d->GetParam(i), d->GetParam(1)});
            break;
        case RowShape::HeaderRule: {
            const std::string first = UCase(d->GetParam(1));
            if ((first == "ALWAYS" || first == "ONSUCCESS") && count >= 3)
                rows.push_back(
                    {d->GetParam(3), d->GetParam(1) + ' ' + d->GetParam(2), Trim(d->GetParamListFrom(4))});
            else
                rows.push_back({d->GetParam(2), d->GetParam(1), Trim(d->GetParamListFrom(3))});
            break;
        }
        }
    }
    return rows;
}

std::vector<std::string> FormBindings::paramListsOf(const ListRows& rows, RowShape shape)
{
    std::vector<std::string> out;
    auto cell = [](const ListRow& row, std::size_t c) { return c < row.size() ? row[c] : std::string(); };
    switch (shape) {
    case RowShape::FirstRest:
    case RowShape::WholeText:
        for (const ListRow& row : rows)
            out.push_back(join({cell(row, 0), cell(row, 1)}));
        break;
    case RowShape::SecondFirstRest:
    case RowShape::HeaderRule:
        for (const ListRow& row : rows)
            out.push_back(join({cell(row, 1), cell(row, 0), cell(row, 2)}));
        break;
    case RowShape::ParamPerRow: {
        std::vector<std::string> params;
        for (const ListRow& row : rows)
            params.push_back(cell(row, 0));
        const std::string all = join(params);
        if (!all.empty())
            out.push_back(all);
        break;
    }
    case RowShape::ExtraParamPerRow:
    case RowShape::ParamThenKeyPerRow: {
        // One directive per key, in the order the keys first appear.
        const std::size_t keyColumn = shape == RowShape::ExtraParamPerRow ? 0 : 1;
        std::vector<std::pair<std::string, std::vector<std::string>>> keys;
        for (const ListRow& row : rows) {
            const std::string key = Trim(cell(row, keyColumn));
            auto it = std::find_if(keys.begin(), keys.end(), [&](const auto& k) { return k.first == key; });
            if (it == keys.end()) {
                keys.push_back({key, {}});
                it = keys.end() - 1;
            }
            it->second.push_back(cell(row, 1 - keyColumn));
        }
        for (const auto& [key, values] : keys) {
            std::vector<std::string> parts{key};
            parts.insert(parts.end(), values.begin(), values.end());
            out.push_back(join(parts));
        }
        break;
    }
    }
    out.erase(std::remove_if(out.begin(), out.end(), [](const std::string& s) { return s.empty(); }),
              out.end());
    return out;
}

bool FormBindings::writeDirectives(ConfigFile& model, std::int32_t scopeNo, const QString& directive,
                                   const std::vector<std::string>& paramLists)
{
    const std::string name = directive.toStdString();
    std::vector<Directive*> existing;
    for (Directive* d : model.GetAllMatchingSubDirectives(name, scopeNo))
        if (d && d->DirectiveNo() >= 1)
            existing.push_back(d);
    bool ok = true;
    std::vector<std::int32_t> extra;
    for (std::size_t i = 0; i < existing.size(); ++i) {
        if (i >= paramLists.size()) {
            extra.push_back(existing[i]->DirectiveNo());
            continue;
        }
        if (Trim(existing[i]->GetParamList()) != paramLists[i])
            ok = existing[i]->SetParamList(paramLists[i]) && ok;
    }
    for (std::int32_t no : extra)
        ok = model.DeleteDirective(no) && ok;
    for (std::size_t i = existing.size(); i < paramLists.size(); ++i)
        ok = model.SaveAsNewDirective(name, paramLists[i], scopeNo) == 1 && ok;
    return ok;
}

// ---- declaring --------------------------------------------------------------

void FormBindings::bindDirective(QWidget* control, const QString& directive, ReadAs read, WriteAs write)
{
    FormSupport::setTag(control, directive);
    m_values.push_back(Value{control, directive, read, write, false, 0, {}, {}});
    auto notify = [this] {
        if (changed)
            changed();
    };
    if (auto* e = qobject_cast<QLineEdit*>(control)) {
        QObject::connect(e, &QLineEdit::textEdited, e, notify);
    } else if (auto* c = qobject_cast<QComboBox*>(control)) {
        QObject::connect(c, &QComboBox::activated, c, notify);
        if (c->isEditable())
            QObject::connect(c, &QComboBox::editTextChanged, c, notify);
    }
}

void FormBindings::bindCheck(QAbstractButton* box, const QString& directive)
{
    FormSupport::setTag(box, directive);
    box->setCheckable(true);
    m_values.push_back(Value{box, directive, ReadAs::FirstParam, WriteAs::Text, true, 0, {}, {}});
    QObject::connect(box, &QAbstractButton::clicked, box, [this] {
        if (changed)
            changed();
    });
}

void FormBindings::bindList(QTreeWidget* list, const QString& directive, RowShape shape)
{
    FormSupport::setTag(list, directive);
    m_lists.push_back(List{list, directive, shape, {}});
}

// ---- loading and saving -----------------------------------------------------

QString FormBindings::currentText(const Value& v)
{
    if (v.check)
        return static_cast<QAbstractButton*>(v.control)->isChecked() ? QStringLiteral("On")
                                                                     : QStringLiteral("Off");
    if (auto* e = qobject_cast<const QLineEdit*>(v.control))
        return e->text();
    if (auto* c = qobject_cast<const QComboBox*>(v.control))
        return c->currentText();
    return {};
}

int FormBindings::columnsOf(RowShape shape)
{
    switch (shape) {
    case RowShape::WholeText:
    case RowShape::ParamPerRow:
        return 1;
    case RowShape::FirstRest:
    case RowShape::ExtraParamPerRow:
    case RowShape::ParamThenKeyPerRow:
        return 2;
    case RowShape::SecondFirstRest:
    case RowShape::HeaderRule:
        return 3;
    }
    return 1;
}

ListRows FormBindings::shownRows(const QTreeWidget* list, RowShape shape)
{
    ListRows rows = ListViewRows::rows(list);
    const std::size_t columns = std::size_t(columnsOf(shape));
    for (ListRow& row : rows)
        if (row.size() > columns)
            row.resize(columns);
    return rows;
}

ListRows FormBindings::rowsToWrite(const QTreeWidget* list)
{
    ListRows out;
    for (int i = 0; i < list->topLevelItemCount(); ++i) {
        const QTreeWidgetItem* item = list->topLevelItem(i);
        ListRow row;
        for (int c = 0; c < list->columnCount(); ++c) {
            const QString text = item->text(c);
            const QVariant loaded = item->data(c, kLoadedRole);
            if (loaded.isValid() && loaded.toString() == text)
                row.push_back(item->data(c, kRawRole).toByteArray().toStdString());
            else
                row.push_back(TextCodec::fromQ(text, item->data(c, kRawRole).toByteArray().toStdString()));
        }
        out.push_back(std::move(row));
    }
    return out;
}

void FormBindings::fillList(List& l, const ConfigFile& model, std::int32_t scopeNo)
{
    l.list->clear();
    const std::vector<Directive*> directives =
        model.GetAllMatchingSubDirectives(l.directive.toStdString(), scopeNo);
    // Rows keep the number of the directive they came from.
    std::vector<std::int32_t> numbers;
    for (const Directive* d : directives) {
        if (!d || d->DirectiveNo() < 1)
            continue;
        const ListRows one = rowsOf({const_cast<Directive*>(d)}, l.shape);
        for (std::size_t i = 0; i < one.size(); ++i)
            numbers.push_back(d->DirectiveNo());
    }
    const ListRows rows = rowsOf(directives, l.shape);
    for (std::size_t r = 0; r < rows.size(); ++r) {
        QStringList texts;
        for (const std::string& raw : rows[r])
            texts << TextCodec::toQ(!wholeTextColumn(l.shape) && isOneQuotedToken(raw) ? unquoted(raw) : raw);
        QTreeWidgetItem* item = ListViewRows::addRow(l.list, texts.mid(0, l.list->columnCount()), numbers[r]);
        for (int c = 0; c < l.list->columnCount() && c < int(rows[r].size()); ++c) {
            item->setData(c, kRawRole, QByteArray::fromStdString(rows[r][std::size_t(c)]));
            item->setData(c, kLoadedRole, item->text(c));
        }
    }
    l.loaded = shownRows(l.list, l.shape);
}

void FormBindings::load(ConfigFile& model, std::int32_t scopeNo)
{
    for (Value& v : m_values) {
        v.foundNo = 0;
        v.original.clear();
        const Directive* d = model.FindAppliedSubDirective(v.directive.toStdString(), scopeNo);
        FormSupport::setTipNote(v.control, placesNote(model, scopeNo, v.directive));
        std::string value;
        if (d && d->DirectiveNo() >= 1) {
            v.foundNo = d->DirectiveNo();
            value = readValue(*d, v.check ? ReadAs::Unquoted : v.read);
            v.original = value;
        }
        if (v.check)
            static_cast<QAbstractButton*>(v.control)->setChecked(UCase(Trim(value)) == "ON");
        else
            setControlText(v.control, TextCodec::toQ(value));
        v.shown = currentText(v);
    }
    for (List& l : m_lists)
        fillList(l, model, scopeNo);
}

bool FormBindings::save(ConfigFile& model, std::int32_t scopeNo,
                        const std::function<bool(const QWidget*)>& writable)
{
    bool ok = true;
    for (Value& v : m_values) {
        if (writable && !writable(v.control))
            continue;
        const QString now = currentText(v);
        if (trimBlanks(now) == trimBlanks(v.shown))
            continue; // blanks at the ends are not a change
        if (v.write != WriteAs::Text && !v.check) {
            // The cleaned path goes back into the box, as it is written.
            QString shown = trimBlanks(now);
            shown.remove(u'"');
            setControlText(v.control, trimBlanks(shown));
        }
        ok = updateDirective(model, scopeNo, v.directive, now, v.write, v.original) == 1 && ok;
    }
    for (List& l : m_lists) {
        if (writable && !writable(l.list))
            continue;
        if (shownRows(l.list, l.shape) == l.loaded)
            continue; // an untouched list keeps its lines
        ListRows rows = rowsToWrite(l.list);
        // Values typed into single-value cells are quoted when they hold a blank.
        for (int i = 0; i < l.list->topLevelItemCount(); ++i) {
            const QTreeWidgetItem* item = l.list->topLevelItem(i);
            for (int c = 0; c < int(rows[std::size_t(i)].size()); ++c) {
                const QVariant loaded = item->data(c, kLoadedRole);
                if (loaded.isValid() && loaded.toString() == item->text(c))
                    continue;
                std::string& cell = rows[std::size_t(i)][std::size_t(c)];
                cell = wholeTextColumn(l.shape) ? Trim(cell) : quotedIfBlank(cell);
            }
        }
        ok = writeDirectives(model, scopeNo, l.directive, paramListsOf(rows, l.shape)) && ok;
    }
    return ok;
}

void FormBindings::saved(ConfigFile& model, std::int32_t scopeNo)
{
    for (Value& v : m_values) {
        v.foundNo = 0;
        FormSupport::setTipNote(v.control, placesNote(model, scopeNo, v.directive));
        if (const Directive* d = model.FindAppliedSubDirective(v.directive.toStdString(), scopeNo);
            d && d->DirectiveNo() >= 1) {
            v.foundNo = d->DirectiveNo();
            v.original = readValue(*d, v.check ? ReadAs::Unquoted : v.read);
        }
        v.shown = currentText(v);
    }
    for (List& l : m_lists)
        fillList(l, model, scopeNo);
}

void FormBindings::clear()
{
    for (Value& v : m_values) {
        v.foundNo = 0;
        v.original.clear();
        if (v.check)
            static_cast<QAbstractButton*>(v.control)->setChecked(false);
        else
            setControlText(v.control, QString());
        v.shown = currentText(v);
    }
    for (List& l : m_lists) {
        l.list->clear();
        l.loaded.clear();
    }
}

bool FormBindings::isChanged() const
{
    for (const Value& v : m_values)
        if (trimBlanks(currentText(v)) != trimBlanks(v.shown))
            return true;
    for (const List& l : m_lists)
        if (shownRows(l.list, l.shape) != l.loaded)
            return true;
    return false;
}

std::int32_t FormBindings::foundNo(const QString& directive) const
{
    for (const Value& v : m_values)
        if (v.directive.compare(directive, Qt::CaseInsensitive) == 0)
            return v.foundNo;
    return 0;
}

} // namespace corvane
