// Page 1: progress of the downloads and of the extraction.
#pragma once
#include "FrameBase.h"

class TFFrameInstalar : public TFFrameBase {
public:
    explicit TFFrameInstalar(forms::TContenedor* padre);

    forms::TGroupBox* gbInstalar1;
    forms::TButton* bDir;
    forms::TLabel* lbDirInstalar;
    forms::TEdit* eDirInstalar;
    forms::TGroupBox* gbInstalar2;
    forms::TLabel* stText;
    forms::TLabel* stDe;
    forms::TLabel* stCopiar;
    forms::TProgressBar* ProgressBar1;
    forms::TLabel* Label1;
};
