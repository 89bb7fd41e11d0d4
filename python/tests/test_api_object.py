"""The API object through the package: the installation, the domain list,
negative results and texts beyond ASCII."""

import unittest

import scratch

import tarvelin


def setUpModule():
    scratch.installation()


class ApiObjectTest(unittest.TestCase):
    def setUp(self):
        self.api = tarvelin.Dispatch("QuorantServer.APIObject")
        self.assertIs(self.api.Init(scratch.installation()), True)

    def test_the_domain_list_reads_through_methods_and_last_err(self):
        api = self.api
        self.assertEqual(api.GetDomainCount(), 2)
        self.assertEqual(api.LastErr, 0)
        self.assertEqual([api.GetDomain(i) for i in range(2)], ["example.org", "other.org"])
        self.assertEqual(api.GetDomainIndex("OTHER.ORG"), 1)
        self.assertEqual(api.GetDomainIndex("nowhere.org"), -1)
        self.assertEqual(api.LastErr, -1)

    def test_texts_outside_ascii_make_the_round_trip(self):
        # The library holds texts single-byte (Windows-1252 by default):
        # what it cannot hold comes back as "?".
        cases = [("Mailhost Jürgen Groß €", "Mailhost Jürgen Groß €"), ("Ünïcödé 日本", "Ünïcödé ??")]
        before = self.api.GetProperty("C_ServerName")
        try:
            for text, stored in cases:
                with self.subTest(text=text):
                    self.assertIs(self.api.SetProperty("C_ServerName", text), True)
                    self.assertEqual(self.api.GetProperty("c_servername"), stored)
        finally:
            self.api.SetProperty("C_ServerName", before)


if __name__ == "__main__":
    unittest.main()
