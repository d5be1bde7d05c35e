// The splash window that fades in while the tool starts.
#pragma once

#include <QWidget>

class QLabel;

class TSplashWindow : public QWidget {
    Q_OBJECT
  public:
    static constexpr int kStartOpacity = 50;
    static constexpr int kFadeSteps = 41;
    static constexpr int kFadeStep = 5;

    explicit TSplashWindow(QWidget* parent = nullptr);

    // Raises the opacity step by step up to 255, letting the window paint between the steps.
    void FadeIn();
    int Opacity() const { return m_opacity; }

    QLabel* Label1 = nullptr;

  private:
    void SetOpacity(int opacity);
    int m_opacity = kStartOpacity;
};
