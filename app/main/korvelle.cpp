#include <QApplication>
#include <cstdio>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    std::puts("korvelle: nothing to show yet");
    return 0;
}
