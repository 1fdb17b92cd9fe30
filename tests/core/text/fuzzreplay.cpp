// SPDX-License-Identifier: GPL-3.0-or-later
// Replays every kept fuzz input (tests/core/text/fuzz-inputs) through one fuzz target's
// entry point; the target aborts on any broken invariant, which fails the test.

#include <QDir>
#include <QFile>
#include <QTest>

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

class FuzzReplay : public QObject {
    Q_OBJECT

private slots:
    void keptInputsKeepTheirInvariants()
    {
        const QDir dir(QStringLiteral(QUELTO_FUZZ_INPUTS));
        const QStringList names = dir.entryList(QDir::Files, QDir::Name);
        QVERIFY2(!names.isEmpty(), QUELTO_FUZZ_INPUTS);
        for (const QString& name : names) {
            QFile file(dir.filePath(name));
            QVERIFY(file.open(QIODevice::ReadOnly));
            const QByteArray bytes = file.readAll();
            // Every prefix too: short inputs reach other paths than the whole one.
            for (qsizetype n = 0; n <= bytes.size(); ++n)
                LLVMFuzzerTestOneInput(reinterpret_cast<const std::uint8_t*>(bytes.constData()),
                                       static_cast<std::size_t>(n));
        }
    }
};

QTEST_GUILESS_MAIN(FuzzReplay)
#include "fuzzreplay.moc"
