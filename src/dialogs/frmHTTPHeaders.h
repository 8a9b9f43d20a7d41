#pragma once
// The response (Header) and request (RequestHeader) rules of the headers
// page, one list shown at a time. A state-only dialog owned by its page: it
// never touches the model; OK keeps what was changed, Cancel puts back the
// rows it showed when opened, and the page writes the lists as left.
#include "forms/FormDialog.h"

class QTreeWidget;

namespace corvane {

class ListEditor;

class frmHTTPHeaders : public FormDialog
{
    Q_OBJECT
public:
    explicit frmHTTPHeaders(QWidget* parent = nullptr);

    QTreeWidget* lstvResponse() const { return m_response; }
    QTreeWidget* lstvRequest() const { return m_request; }
    // Which list the next opening shows: captions "Response Headers" or
    // "Request Headers".
    void showList(bool response);
    bool showsResponse() const { return m_showsResponse; }

protected:
    void contextChanged() override;

private:
    ListEditor* editor() const;

    QTreeWidget* m_response;
    QTreeWidget* m_request;
    ListEditor* m_responseEditor = nullptr;
    ListEditor* m_requestEditor = nullptr;
    bool m_showsResponse = true;
};

} // namespace corvane
