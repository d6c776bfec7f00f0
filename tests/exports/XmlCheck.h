// Reading back an audit file: libxml2's schema validator against the tax
// authority's schema (kept next to these tests), and XPath over the file.
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QtTest>

#include <libxml/parser.h>
#include <libxml/xmlschemas.h>
#include <libxml/xpath.h>
#include <libxml/xpathInternals.h>

namespace orvix::test {

inline QString auditSchemaPath() {
    const QString source = qEnvironmentVariable("ORVIX_SOURCE_DIR");
    return (source.isEmpty() ? QStringLiteral(".") : source) + QStringLiteral("/tests/exports/szamla-2013.xsd");
}

// The validator's messages for the file; empty when it is valid.
inline QStringList schemaErrors(const QString& file) {
    QStringList errors;
    const QByteArray xsd = auditSchemaPath().toLocal8Bit();
    xmlSchemaParserCtxtPtr parser = xmlSchemaNewParserCtxt(xsd.constData());
    xmlSchemaPtr schema = parser ? xmlSchemaParse(parser) : nullptr;
    if (!schema) {
        if (parser)
            xmlSchemaFreeParserCtxt(parser);
        return {QStringLiteral("the schema cannot be read: ") + auditSchemaPath()};
    }
    xmlSchemaValidCtxtPtr valid = xmlSchemaNewValidCtxt(schema);
    xmlSchemaSetValidStructuredErrors(
        valid,
        [](void* list, xmlErrorPtr e) {
            static_cast<QStringList*>(list)->append(
                QStringLiteral("line %1: %2").arg(e->line).arg(QString::fromUtf8(e->message).trimmed()));
        },
        &errors);
    const int rc = xmlSchemaValidateFile(valid, file.toLocal8Bit().constData(), 0);
    if (rc != 0 && errors.isEmpty())
        errors << QStringLiteral("not valid (%1)").arg(rc);
    xmlSchemaFreeValidCtxt(valid);
    xmlSchemaFree(schema);
    xmlSchemaFreeParserCtxt(parser);
    return errors;
}

// XPath over an audit file; the prefix n stands for the schema's namespace.
class AuditFile {
public:
    explicit AuditFile(const QString& file) {
        m_doc = xmlReadFile(file.toLocal8Bit().constData(), nullptr, XML_PARSE_NONET);
        if (m_doc) {
            m_ctx = xmlXPathNewContext(m_doc);
            xmlXPathRegisterNs(m_ctx, BAD_CAST "n", BAD_CAST "http://schemas.nav.gov.hu/2013/szamla");
        }
    }
    ~AuditFile() {
        if (m_ctx)
            xmlXPathFreeContext(m_ctx);
        if (m_doc)
            xmlFreeDoc(m_doc);
    }
    AuditFile(const AuditFile&) = delete;
    AuditFile& operator=(const AuditFile&) = delete;

    bool isOpen() const { return m_doc != nullptr; }

    // The text of every node the expression selects.
    QStringList values(const QString& xpath) const {
        QStringList out;
        if (!m_ctx)
            return out;
        xmlXPathObjectPtr r = xmlXPathEvalExpression(BAD_CAST xpath.toUtf8().constData(), m_ctx);
        if (r && r->nodesetval) {
            for (int i = 0; i < r->nodesetval->nodeNr; ++i) {
                xmlChar* s = xmlNodeGetContent(r->nodesetval->nodeTab[i]);
                out << QString::fromUtf8(reinterpret_cast<const char*>(s));
                xmlFree(s);
            }
        }
        xmlXPathFreeObject(r);
        return out;
    }
    QString value(const QString& xpath) const { return values(xpath).value(0); }
    int count(const QString& xpath) const { return int(values(xpath).size()); }

private:
    xmlDocPtr m_doc = nullptr;
    xmlXPathContextPtr m_ctx = nullptr;
};

} // namespace orvix::test
