#pragma once

#include "core/signoff/DeliveredQc.h"

#include <QStringList>
#include <map>
#include <memory>
#include <vector>

namespace velmora {

class TCreditReader;
class TElementTree;
struct TRollMap;

// Every credit of a roll with the frame where it stands in the middle of the screen, read back
// from the delivered frames as they pass.
class TCreditTextCheck
{
public:
    TCreditTextCheck(const TElementTree &tree, const TRollMap &map, const TQcOptions &options);
    ~TCreditTextCheck();

    // Reads the credits due at this frame; unlike ones become findings of report.
    void Visit(qint64 frame, const TLumaFrame &luma, TQcReport &report,
               const std::function<QString(qint64)> &timecodeOf);
    int Unread() const { return m_unread; }
    // The data packages that would have read the unread credits.
    QStringList MissingData() const { return m_missing; }

private:
    struct TTarget
    {
        QString Place;
        QString Language;  // the OCR data it is read with
        QString Expected;
        QStringList Parts; // role, each name, text: found one by one, for names set in columns
        qint32 Top = 0;    // roll y
        qint32 Bottom = 0;
    };
    const TRollMap &m_map;
    TQcOptions m_options;
    std::multimap<qint64, TTarget> m_due;
    // One reader a language, made when a credit in it is first due; a language whose data is
    // missing keeps no reader and its credits count as unread.
    std::map<QString, std::unique_ptr<TCreditReader>> m_readers;
    int m_unread = 0;
    QStringList m_missing;

    TCreditReader *ReaderFor(const QString &language);
};

} // namespace velmora
