#include "TestArchive.h"

#include <fstream>
#include <iterator>
#include <stdexcept>

#include "ArchiveBuilder.h"
#include "ArchiveFormat.h"

namespace kav::test {
namespace {

kavmake::ArchiveBuilder Builder(const ArchiveRecipe& recipe, bool solid, const std::string& solidName) {
    kavmake::ArchiveOptions o;
    o.archiveID = recipe.archiveId;
    o.blockSize = recipe.blockSize;
    o.extraFlags = recipe.flags;
    o.userData = recipe.userData;
    o.comment = recipe.comment;
    o.completeTotalsEverywhere = !recipe.incompleteFirstTotals;
    o.solid = solid;
    o.solidEntryName = solidName;
    if (recipe.segmentData > 0) {
        TArchiveHeader h;
        h.Comment = recipe.comment;
        o.segmentSize = HeaderSize(h) + recipe.segmentData;
    }
    for (const FileRecipe& f : recipe.files) {
        if (f.key.empty()) continue;
        if (!o.key.empty() && o.key != f.key) throw std::logic_error("one key per test archive");
        o.key = f.key;
    }
    kavmake::ArchiveBuilder b(o);
    for (const FileRecipe& f : recipe.files) {
        kavmake::FileOptions fo;
        fo.date = f.date;
        fo.attr = f.attr;
        fo.fileType = f.type;
        fo.altName = f.altName;
        fo.altFileType = f.altType;
        fo.packing = f.stored ? kavmake::Packing::Stored : kavmake::Packing::Smallest;
        fo.encrypted = !f.key.empty();
        if (f.folder) b.AddFolder(f.name, fo);
        else b.AddFile(f.name, f.data, fo);
    }
    return b;
}

}  // namespace

std::vector<std::string> BuildSegments(const ArchiveRecipe& recipe) {
    return Builder(recipe, false, {}).Build().segments;
}

std::string BuildSolid(const ArchiveRecipe& inner, const std::string& name) {
    return Builder(inner, true, name).Bytes();
}

void WriteFile(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out) throw std::runtime_error("cannot write " + path);
}

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

}  // namespace kav::test
