// kavtool extract [--key CLAVE] [--overwrite|--skip|--update] [--absolute-paths] ARCHIVO CARPETA
// Extracts through the product's own extractor with the stored paths
// restored, one line per file written. Segments are found beside ARCHIVO.
// Names that leave CARPETA are refused as the product refuses them; with
// --absolute-paths, drive paths and server shares go back to their own place
// (the archive format's rule, for an archive made on the same machine).
#include <ostream>
#include <string>
#include <vector>

#include "ToolExtractor.h"

namespace kavtool {

// Returns 2 (usage) when the arguments do not fit; errors propagate.
int Extract(const std::vector<std::string>& args, std::ostream& out) {
    std::vector<std::string> paths;
    std::string key;
    kav::TRestoreAction action = kav::raOverwrite;
    bool absolutePaths = false;
    for (size_t i = 1; i < args.size(); ++i) {
        const std::string& w = args[i];
        if (w == "--key" && i + 1 < args.size()) key = args[++i];
        else if (w == "--overwrite") action = kav::raOverwrite;
        else if (w == "--skip") action = kav::raSkip;
        else if (w == "--update") action = kav::raUpdate;
        else if (w == "--absolute-paths") absolutePaths = true;
        else if (w.rfind("--", 0) == 0) return 2;
        else paths.push_back(w);
    }
    if (paths.size() != 2) return 2;
    ToolExtractor e(paths[0], key);
    e.ExtractPath = AbsoluteFolder(paths[1]);
    e.RestoreAction = action;
    e.RestoreDriveNames = absolutePaths;
    e.OnFileExtracted = [&out](kav::TCustomExtractor&, const kav::TFileEntry& f, const std::string& folder) {
        out << folder << kav::ExtractFileName(f.Name) << '\n';
    };
    e.Open();
    e.ExtractFiles();
    e.Close();
    return 0;
}

}  // namespace kavtool
