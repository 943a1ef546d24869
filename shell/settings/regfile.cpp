#include "shell/settings/regfile.h"

#include <limits>
#include <optional>
#include <variant>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QSet>
#include <QStringDecoder>
#include <QStringList>

#include "engine/codec.h"
#include "engine/textfile.h"
#include "shell/settings/settingsstore.h"

namespace velm {

namespace {

const QString Root = QLatin1String(RegistryRoot);
const QString Crlf = QStringLiteral("\r\n");

// Registry path of a store section ("" is the key itself).
QString keyPath(const QString &section)
{
    if (section.isEmpty())
        return Root;
    QString sub = section;
    return Root + QLatin1Char('\\') + sub.replace(QLatin1Char('/'), QLatin1Char('\\'));
}

QString quoted(const QString &text)
{
    QString out;
    out.reserve(text.size() + 2);
    out += QLatin1Char('"');
    for (QChar c : text) {
        if (c == QLatin1Char('\\') || c == QLatin1Char('"'))
            out += QLatin1Char('\\');
        out += c;
    }
    out += QLatin1Char('"');
    return out;
}

// "name"=hex(N):aa,bb,... wrapped as the registry editor wraps it: lines of
// about 80 characters, continued with a backslash and a two-blank indent.
QString hexLine(const QString &prefix, const QByteArray &bytes)
{
    QString out = prefix;
    qsizetype lineStart = 0;
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        out += QStringLiteral("%1").arg(static_cast<uchar>(bytes[i]), 2, 16, QLatin1Char('0'));
        if (i + 1 < bytes.size()) {
            out += QLatin1Char(',');
            if (out.size() - lineStart > 76) {
                out += QLatin1Char('\\') + Crlf + QStringLiteral("  ");
                lineStart = out.size() - 2;
            }
        }
    }
    return out;
}

QByteArray utf16leZ(const QString &text)
{
    QByteArray bytes;
    for (QChar c : text) {
        bytes.append(static_cast<char>(c.unicode() & 0xFF));
        bytes.append(static_cast<char>(c.unicode() >> 8));
    }
    bytes.append(2, '\0');
    return bytes;
}

QString dwordLine(const QString &name, quint32 value)
{
    return quoted(name) + QStringLiteral("=dword:%1").arg(value, 8, 16, QLatin1Char('0'));
}

bool isPlainInteger(const QString &text, int *value)
{
    bool ok = false;
    const int n = text.toInt(&ok, 10);
    if (!ok || QString::number(n) != text)
        return false;
    *value = n;
    return true;
}

bool hasControl(const QString &text)
{
    for (QChar c : text)
        if (c.unicode() < 0x20 && c != QLatin1Char('\t'))
            return true;
    return false;
}

// One value line, or an empty text for a value the format cannot hold.
QString valueLine(const QString &name, const QVariant &v)
{
    switch (v.typeId()) {
    case QMetaType::QByteArray:
        return hexLine(quoted(name) + QStringLiteral("=hex:"), v.toByteArray());
    case QMetaType::Bool:
        return dwordLine(name, v.toBool() ? 1u : 0u);
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::Long:
    case QMetaType::ULong:
    case QMetaType::LongLong:
    case QMetaType::ULongLong: {
        const qlonglong n = v.toLongLong();
        if (n >= std::numeric_limits<qint32>::min() && n <= std::numeric_limits<quint32>::max())
            return dwordLine(name, static_cast<quint32>(n));
        return quoted(name) + QLatin1Char('=') + quoted(QString::number(n));
    }
    default:
        break;
    }
    if (!v.canConvert<QString>())
        return {};
    const QString text = v.toString();
    // The settings file hands booleans and integers back as these texts.
    if (text == QLatin1String("true") || text == QLatin1String("false"))
        return dwordLine(name, text == QLatin1String("true") ? 1u : 0u);
    int n = 0;
    if (isPlainInteger(text, &n))
        return dwordLine(name, static_cast<quint32>(n));
    if (hasControl(text))
        return hexLine(quoted(name) + QStringLiteral("=hex(1):"), utf16leZ(text));
    return quoted(name) + QLatin1Char('=') + quoted(text);
}

// --- reading -------------------------------------------------------------------------

struct Fault {
    QString reason;
};

// A quoted text from `pos` (at the opening quote); pos ends after the closing one.
// Only \\ and \" are escapes; any other backslash is kept as written.
std::optional<QString> readQuoted(const QString &s, qsizetype &pos)
{
    if (pos >= s.size() || s[pos] != QLatin1Char('"'))
        return std::nullopt;
    QString out;
    for (++pos; pos < s.size(); ++pos) {
        const QChar c = s[pos];
        if (c == QLatin1Char('"')) {
            ++pos;
            return out;
        }
        if (c == QLatin1Char('\\') && pos + 1 < s.size()
            && (s[pos + 1] == QLatin1Char('\\') || s[pos + 1] == QLatin1Char('"'))) {
            out += s[++pos];
            continue;
        }
        out += c;
    }
    return std::nullopt;
}

std::optional<QByteArray> hexBytes(const QString &list)
{
    QByteArray bytes;
    const QStringList parts = list.split(QLatin1Char(','));
    for (qsizetype i = 0; i < parts.size(); ++i) {
        const QString p = parts[i].trimmed();
        if (p.isEmpty() && i + 1 == parts.size())
            break; // a trailing comma, or no bytes at all
        bool ok = false;
        const uint b = p.toUInt(&ok, 16);
        if (!ok || p.size() > 2)
            return std::nullopt;
        bytes.append(static_cast<char>(b));
    }
    return bytes;
}

QString fromUtf16le(const QByteArray &bytes)
{
    QString out;
    for (qsizetype i = 0; i + 1 < bytes.size(); i += 2)
        out += QChar(static_cast<char16_t>(static_cast<uchar>(bytes[i]) | (static_cast<uchar>(bytes[i + 1]) << 8)));
    return out;
}

std::variant<QVariant, Fault> typedHex(int type, const QByteArray &bytes)
{
    switch (type) {
    case 1: // string
    case 2: // expandable string
    case 7: { // several strings: kept as one text, one per line
        if (bytes.size() % 2)
            return Fault{QStringLiteral("文字列のバイト数が奇数です")};
        QString text = fromUtf16le(bytes);
        if (type == 7) {
            QStringList parts = text.split(QChar(0));
            while (!parts.isEmpty() && parts.last().isEmpty())
                parts.removeLast();
            return QVariant(parts.join(QLatin1Char('\n')));
        }
        while (text.endsWith(QChar(0)))
            text.chop(1);
        return QVariant(text);
    }
    case 4:
    case 5: {
        if (bytes.size() != 4)
            return Fault{QStringLiteral("dword が4バイトではありません")};
        quint32 v = 0;
        for (int i = 0; i < 4; ++i)
            v |= quint32(static_cast<uchar>(bytes[type == 4 ? i : 3 - i])) << (8 * i);
        return QVariant(static_cast<int>(static_cast<qint32>(v)));
    }
    case 0xb: {
        if (bytes.size() != 8)
            return Fault{QStringLiteral("qword が8バイトではありません")};
        quint64 v = 0;
        for (int i = 0; i < 8; ++i)
            v |= quint64(static_cast<uchar>(bytes[i])) << (8 * i);
        const auto n = static_cast<qint64>(v);
        if (n >= std::numeric_limits<int>::min() && n <= std::numeric_limits<int>::max())
            return QVariant(static_cast<int>(n));
        return QVariant(QString::number(n));
    }
    default:
        return QVariant(bytes);
    }
}

// The value after '=': a quoted text, dword:, hex[(N)]: or "-" (remove).
// A hex value may go on over the following lines; `index` moves past them.
std::variant<QVariant, Fault> parseData(QString data, const QStringList &lines, qsizetype &index, bool *remove)
{
    data = data.trimmed();
    *remove = false;
    if (data == QLatin1String("-")) {
        *remove = true;
        return QVariant();
    }
    if (data.startsWith(QLatin1Char('"'))) {
        qsizetype pos = 0;
        const std::optional<QString> text = readQuoted(data, pos);
        if (!text || !data.mid(pos).trimmed().isEmpty())
            return Fault{QStringLiteral("文字列の引用符が閉じていません")};
        return QVariant(*text);
    }
    const QString lower = data.toLower();
    if (lower.startsWith(QLatin1String("dword:"))) {
        const QString digits = data.mid(6).trimmed();
        bool ok = false;
        const uint v = digits.toUInt(&ok, 16);
        if (!ok || digits.isEmpty() || digits.size() > 8)
            return Fault{QStringLiteral("dword の値が正しくありません")};
        return QVariant(static_cast<int>(static_cast<qint32>(v)));
    }
    if (lower.startsWith(QLatin1String("hex"))) {
        int type = 3;
        qsizetype colon = data.indexOf(QLatin1Char(':'));
        if (colon < 0)
            return Fault{QStringLiteral("hex の後に「:」がありません")};
        const QString typeText = lower.mid(3, colon - 3).trimmed();
        if (!typeText.isEmpty()) {
            bool ok = false;
            if (typeText.size() < 3 || !typeText.startsWith(QLatin1Char('(')) || !typeText.endsWith(QLatin1Char(')')))
                return Fault{QStringLiteral("値の種類が正しくありません")};
            type = typeText.mid(1, typeText.size() - 2).toInt(&ok, 16);
            if (!ok)
                return Fault{QStringLiteral("値の種類が正しくありません")};
        }
        QString list = data.mid(colon + 1).trimmed();
        while (list.endsWith(QLatin1Char('\\'))) {
            list.chop(1);
            if (index + 1 >= lines.size() || lines[index + 1].trimmed().isEmpty())
                return Fault{QStringLiteral("継続行がありません")};
            list += lines[++index].trimmed();
        }
        const std::optional<QByteArray> bytes = hexBytes(list);
        if (!bytes)
            return Fault{QStringLiteral("16進の値が正しくありません")};
        return typedHex(type, *bytes);
    }
    return Fault{QStringLiteral("値の形式が分かりません")};
}

// The store section of a key path under the program's key; nullopt for other keys.
std::optional<QString> sectionOf(QString path)
{
    path = path.trimmed();
    while (path.endsWith(QLatin1Char('\\')))
        path.chop(1);
    if (!path.startsWith(Root, Qt::CaseInsensitive))
        return std::nullopt;
    QString rest = path.mid(Root.size());
    if (rest.isEmpty())
        return QString();
    if (!rest.startsWith(QLatin1Char('\\')))
        return std::nullopt; // a sibling key whose name merely begins the same
    return rest.mid(1).replace(QLatin1Char('\\'), QLatin1Char('/'));
}

} // namespace

QString settingsToRegText(const QMap<QString, QVariant> &values)
{
    // Section -> lines, sections with their parent keys, as the editor lists them.
    QMap<QString, QStringList> blocks;
    blocks.insert(QString(), {});
    for (auto it = values.cbegin(); it != values.cend(); ++it) {
        const qsizetype slash = it.key().lastIndexOf(QLatin1Char('/'));
        const QString section = slash < 0 ? QString() : it.key().left(slash);
        const QString name = slash < 0 ? it.key() : it.key().mid(slash + 1);
        const QString line = valueLine(name, it.value());
        if (line.isEmpty())
            continue;
        blocks[section] << line;
        for (qsizetype p = section.indexOf(QLatin1Char('/')); p >= 0; p = section.indexOf(QLatin1Char('/'), p + 1))
            if (!blocks.contains(section.left(p)))
                blocks.insert(section.left(p), {});
    }
    QString out = QLatin1String(RegistryHeader) + Crlf + Crlf;
    for (auto it = blocks.cbegin(); it != blocks.cend(); ++it) {
        out += QLatin1Char('[') + keyPath(it.key()) + QLatin1Char(']') + Crlf;
        for (const QString &line : it.value())
            out += line + Crlf;
        out += Crlf;
    }
    return out;
}

QByteArray encodeRegFile(const QString &text)
{
    QByteArray bytes("\xFF\xFE", 2);
    QByteArray body = utf16leZ(text);
    body.chop(2);
    return bytes + body;
}

QString decodeRegFile(const QByteArray &bytes)
{
    auto decode = [](QStringConverter::Encoding e, QByteArrayView b) -> QString {
        QStringDecoder d(e, QStringConverter::Flag::Stateless);
        QString s = d.decode(b);
        return d.hasError() ? QString() : s;
    };
    if (bytes.startsWith("\xFF\xFE"))
        return bytes.size() % 2 ? QString() : decode(QStringConverter::Utf16LE, QByteArrayView(bytes).sliced(2));
    if (bytes.startsWith("\xFE\xFF"))
        return bytes.size() % 2 ? QString() : decode(QStringConverter::Utf16BE, QByteArrayView(bytes).sliced(2));
    if (bytes.startsWith("\xEF\xBB\xBF"))
        return decode(QStringConverter::Utf8, QByteArrayView(bytes).sliced(3));
    // Without a mark: UTF-16LE when the first character's high byte is zero.
    if (bytes.size() >= 2 && bytes.size() % 2 == 0 && bytes[0] != '\0' && bytes[1] == '\0')
        return decode(QStringConverter::Utf16LE, bytes);
    const QString utf8 = decode(QStringConverter::Utf8, bytes);
    if (!utf8.isNull() || bytes.isEmpty())
        return utf8;
    const CodecResult cp932 = decodeCp932(std::string_view(bytes.constData(), static_cast<size_t>(bytes.size())));
    return cp932.ok ? QString::fromStdString(cp932.text) : QString();
}

RegParse parseRegText(const QString &text)
{
    RegParse result;
    QString normal = text;
    normal.replace(QStringLiteral("\r\n"), QStringLiteral("\n")).replace(QLatin1Char('\r'), QLatin1Char('\n'));
    if (normal.startsWith(QChar(0xFEFF)))
        normal.remove(0, 1);
    const QStringList lines = normal.split(QLatin1Char('\n'));

    // index -1: a fault of the whole file rather than of one line.
    auto fail = [&result](qsizetype index, const QString &reason) {
        result.line = static_cast<int>(index + 1);
        result.reason = reason;
        result.entries.clear();
        result.removedSections.clear();
        return result;
    };

    bool header = false;
    bool inKey = false;                // a [key] line has been seen
    std::optional<QString> section;    // nullopt: a key outside the program's
    bool ownKeySeen = false;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QString line = lines[i].trimmed();
        if (line.isEmpty() || line.startsWith(QLatin1Char(';')))
            continue;
        if (!header) {
            if (line != QLatin1String(RegistryHeader) && line != QLatin1String("REGEDIT4"))
                return fail(i, QStringLiteral("レジストリ ファイルの見出しがありません"));
            header = true;
            continue;
        }
        if (line.startsWith(QLatin1Char('['))) {
            if (!line.endsWith(QLatin1Char(']')))
                return fail(i, QStringLiteral("キーの行が「]」で終わっていません"));
            QString path = line.mid(1, line.size() - 2);
            const bool removal = path.startsWith(QLatin1Char('-'));
            if (removal)
                path.remove(0, 1);
            inKey = true;
            section = sectionOf(path);
            if (section) {
                ownKeySeen = true;
                if (removal) {
                    result.removedSections << *section;
                    section.reset(); // values under a removed key are not taken
                }
            }
            continue;
        }
        if (!inKey)
            return fail(i, QStringLiteral("キーより前に値があります"));
        QString name;
        qsizetype pos = 0;
        if (line.startsWith(QLatin1Char('@'))) {
            pos = 1; // the key's default value: the settings have none
        } else {
            const std::optional<QString> quotedName = readQuoted(line, pos);
            if (!quotedName)
                return fail(i, QStringLiteral("値の名前が正しくありません"));
            name = *quotedName;
        }
        while (pos < line.size() && line[pos].isSpace())
            ++pos;
        if (pos >= line.size() || line[pos] != QLatin1Char('='))
            return fail(i, QStringLiteral("「=」がありません"));
        const qsizetype valueLineIndex = i;
        bool remove = false;
        const auto data = parseData(line.mid(pos + 1), lines, i, &remove);
        if (const Fault *f = std::get_if<Fault>(&data))
            return fail(valueLineIndex, f->reason);
        if (section && !name.isEmpty())
            result.entries.push_back(RegEntry{*section, name, std::get<QVariant>(data), remove});
    }
    if (!header)
        return fail(-1, QStringLiteral("レジストリ ファイルの見出しがありません"));
    if (!ownKeySeen)
        return fail(-1, QStringLiteral("%1 の設定がありません").arg(Root));
    return result;
}

QString exportSettings(const SettingsStore &store, const QString &path)
{
    const QByteArray bytes = encodeRegFile(settingsToRegText(store.all()));
    const std::string error = velm::writeBytesAtomic(QFile::encodeName(path).toStdString(), bytes.toStdString());
    if (!error.empty())
        return QStringLiteral("ファイル%1").arg(QString::fromStdString(error));
    return {};
}

QString importSettings(SettingsStore &store, const QString &path)
{
    const QString shown = QDir::toNativeSeparators(path);
    // Regular files of sane size only: a FIFO or a device must not hang the restore.
    std::string raw;
    const std::string error = velm::readRegularFile(QFile::encodeName(path).toStdString(), raw);
    if (!error.empty())
        return QStringLiteral("%1\n設定は変更していません。").arg(QString::fromStdString(error));
    const QByteArray bytes = QByteArray::fromStdString(raw);
    const QString text = decodeRegFile(bytes);
    if (text.isNull())
        return QStringLiteral("ファイル『%1』の文字コードが分かりません。設定は変更していません。").arg(shown);
    const RegParse parse = parseRegText(text);
    if (!parse.ok() && parse.line == 0)
        return QStringLiteral("ファイル『%1』は正しくありません（%2）。設定は変更していません。").arg(shown, parse.reason);
    if (!parse.ok())
        return QStringLiteral("ファイル『%1』の %2 行目が正しくありません（%3）。設定は変更していません。")
            .arg(shown)
            .arg(parse.line)
            .arg(parse.reason);

    // Key names are not case-sensitive in the registry: a value lands on the
    // stored key of the same name whatever its case, so that the readers find it.
    QHash<QString, QString> keys;
    QHash<QString, QString> sections;
    for (const QString &k : store.all().keys()) {
        keys.insert(k.toLower(), k);
        const qsizetype slash = k.lastIndexOf(QLatin1Char('/'));
        if (slash > 0)
            sections.insert(k.left(slash).toLower(), k.left(slash));
    }
    for (const QString &removed : parse.removedSections) {
        for (const QString &k : store.all().keys()) {
            if (removed.isEmpty() || k.startsWith(removed + QLatin1Char('/'), Qt::CaseInsensitive)) {
                const qsizetype slash = k.lastIndexOf(QLatin1Char('/'));
                store.remove(slash < 0 ? QString() : k.left(slash), slash < 0 ? k : k.mid(slash + 1));
            }
        }
    }
    for (const RegEntry &e : parse.entries) {
        const QString full = e.section.isEmpty() ? e.key : e.section + QLatin1Char('/') + e.key;
        QString section = sections.value(e.section.toLower(), e.section);
        QString key = e.key;
        if (const auto it = keys.constFind(full.toLower()); it != keys.cend()) {
            const qsizetype slash = it->lastIndexOf(QLatin1Char('/'));
            section = slash < 0 ? QString() : it->left(slash);
            key = slash < 0 ? *it : it->mid(slash + 1);
        }
        if (e.remove)
            store.remove(section, key);
        else if (e.value.typeId() == QMetaType::Int)
            store.setInteger(section, key, e.value.toInt());
        else if (e.value.typeId() == QMetaType::QByteArray)
            store.setBinary(section, key, e.value.toByteArray());
        else
            store.setText(section, key, e.value.toString());
    }
    return store.sync();
}

} // namespace velm
