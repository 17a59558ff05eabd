#!/usr/bin/env python3
"""tools/check_layers.py on small trees made for each rule: it must pass a sound tree and name
every include that breaks the layers."""

import os
import sys
import tempfile
import unittest

sys.path.insert(0, os.path.join(os.path.dirname(__file__), "..", "..", "tools"))
import check_layers  # noqa: E402


class CheckLayersTest(unittest.TestCase):
    def setUp(self):
        self.folder = tempfile.TemporaryDirectory()
        self.root = self.folder.name
        self.write("platform/base/status.h", "")
        self.write("platform/sql/connection.h", '#include "platform/base/status.h"\n')
        self.write("platform/dbf/table_reader.cc", '#include "platform/base/status.h"\n')
        self.write("core/file_names.h", "")
        self.write("platform/sources/data_sources.cc",
                   '#include "core/file_names.h"\n#include "platform/sql/connection.h"\n')
        self.write("import/import_run.cc", '#include "platform/sources/data_sources.h"\n')
        self.write("app/cli/main.cc", '#include "app/version.h"\n#include "import/import_run.h"\n')
        self.write("tests/gui/gui_test.cc", '#include "app/gui/application.h"\n')

    def tearDown(self):
        self.folder.cleanup()

    def write(self, path, text):
        full = os.path.join(self.root, path)
        os.makedirs(os.path.dirname(full), exist_ok=True)
        with open(full, "w", encoding="utf-8") as out:
            out.write(text)

    def problems(self):
        return check_layers.check(self.root)[1]

    def test_a_sound_tree_passes_and_its_edges_are_counted(self):
        edges, problems = check_layers.check(self.root)
        self.assertEqual(problems, [])
        self.assertEqual(edges[("platform/sources", "platform/sql")], 1)
        self.assertEqual(edges[("app/cli", "app")], 1)

    def test_a_folder_including_its_own_layer_is_a_back_edge(self):
        self.write("platform/dbf/foxpro_source.cc", '#include "platform/sql/statement.h"\n')
        [problem] = self.problems()
        self.assertIn("platform/dbf/foxpro_source.cc:1: includes platform/sql/statement.h", problem)
        self.assertIn("back edge", problem)

    def test_a_folder_including_a_higher_layer_is_a_back_edge(self):
        self.write("scripts/field_listing.cc", '\n\n#include "import/import_state.h"\n')
        [problem] = self.problems()
        self.assertIn("scripts/field_listing.cc:3", problem)
        self.assertIn("higher layer", problem)

    def test_only_app_and_its_tests_include_app_headers(self):
        self.write("platform/sources/data_sources.h", '#include "app/constants.h"\n')
        self.write("tests/import/import_test.cc", '#include "app/constants.h"\n')
        problems = self.problems()
        self.assertEqual(sum("only app/ and its tests" in p for p in problems), 2)

    def test_within_platform_only_the_sources_include_core(self):
        self.write("platform/dbf/foxpro_source.cc", '#include "core/file_names.h"\n')
        [problem] = self.problems()
        self.assertIn("only platform/sources includes core/", problem)

    def test_a_new_folder_must_be_given_a_layer(self):
        self.write("platform/cache/cache.cc", '#include "platform/base/status.h"\n')
        [problem] = self.problems()
        self.assertIn("platform/cache stands in no layer", problem)

    def test_a_subfolder_belongs_to_the_folder_that_holds_it(self):
        self.write("tools/sample_data/servers/postgres.cc", '#include "import/catalog.h"\n')
        self.write("platform/sql/sqlite/dialect/names.cc", '#include "platform/sql/connection.h"\n')
        edges, problems = check_layers.check(self.root)
        self.assertEqual(problems, [])
        self.assertEqual(edges[("tools/sample_data", "import")], 1)
        self.assertEqual(edges[("platform/sql/sqlite", "platform/sql")], 1)

    def test_cycles_are_found_whatever_their_length(self):
        edges = {("a", "b"): 1, ("b", "c"): 1, ("c", "a"): 2, ("c", "d"): 1, ("e", "e"): 1}
        self.assertEqual(sorted(check_layers.cycles(edges)), [["a", "b", "c"], ["e"]])
        self.assertEqual(check_layers.cycles({("a", "b"): 1, ("b", "c"): 1}), [])

    def test_the_command_fails_on_a_broken_tree(self):
        self.write("pdf/txt_to_pdf.cc", '#include "report/report_grid.h"\n')
        self.assertEqual(check_layers.main(["check_layers.py", self.root]), 1)


if __name__ == "__main__":
    unittest.main()
