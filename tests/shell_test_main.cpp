// Test entry for the windows: one QApplication on the offscreen platform
// (unless told otherwise), settings in a scratch folder, then GoogleTest.

#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QTemporaryDir>

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir scratch;
    if (qEnvironmentVariableIsEmpty("VELM_CONFIG_DIR"))
        qputenv("VELM_CONFIG_DIR", scratch.path().toLocal8Bit());
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
