# The modules over a scripted kx12rctl: what they run, what they report, when they fail.
import json

import pytest
from ansible.module_utils import basic
from ansible.module_utils.common.text.converters import to_bytes

from ansible_collections.kx12r.readers.plugins.modules import info, settings


class Exited(Exception):
    pass


class Failed(Exception):
    pass


@pytest.fixture
def run(monkeypatch):
    """Runs a module with arguments over scripted kx12rctl answers; returns what it exited
    with (or raises Failed) and the commands it ran."""

    def exit_json(self, **result):
        raise Exited(result)

    def fail_json(self, **result):
        raise Failed(result)

    monkeypatch.setattr(basic.AnsibleModule, "exit_json", exit_json)
    monkeypatch.setattr(basic.AnsibleModule, "fail_json", fail_json)

    def running(module, arguments, answers):
        commands = []

        def run_command(self, command, **kwargs):
            commands.append(command)
            verb = command[2] if command[1] == "--demo" else command[1]
            status, document, err = answers[verb](command)
            return status, json.dumps(document), err

        monkeypatch.setattr(basic.AnsibleModule, "run_command", run_command)
        basic._ANSIBLE_ARGS = to_bytes(json.dumps({"ANSIBLE_MODULE_ARGS": arguments}))
        with pytest.raises(Exited) as exited:
            module.main()
        return exited.value.args[0], commands

    return running


def file_of(command):
    """The settings file a call names: the word after the verb."""
    return command[command.index("compare") + 1]


def compared(result, **values):
    reader = {"serial": "00417", "firmware": "1.84", "result": result, "parameter": None,
              "message": "", "differing": [], "values": values}
    return lambda command: (0 if result == "equal" else 1, {"file": file_of(command), "readers": [reader]}, "")


def written(result="written", err="Загрузка из файла настроек выполнена успешно."):
    reader = {"serial": "00417", "firmware": "1.84", "result": result, "parameter": None,
              "message": ""}
    return lambda command: (0 if result == "written" else 1, {"readers": [reader]}, err)


def test_equal_readers_are_ok_and_nothing_is_written(run):
    result, commands = run(settings, {"src": "/site.kxr", "serial": ["00417"]},
                           {"compare": compared("equal")})
    assert result["changed"] is False
    assert commands == [["kx12rctl", "compare", "/site.kxr", "--serial", "00417", "--json"]]


def test_a_differing_reader_is_written_only_outside_check_mode_and_shows_its_diff(run):
    values = {"prefix": {"reader": "", "file": "#K"}, "ending": {"reader": 9, "file": None}}
    answers = {"compare": compared("different", **values), "apply": written()}
    checked, commands = run(settings, {"src": "/s.kxr", "all": True, "_ansible_check_mode": True},
                            answers)
    assert checked["changed"] is True
    assert [c[1] for c in commands] == ["compare"]
    assert checked["diff"]["before"]["00417"]["prefix"] == ""
    assert checked["diff"]["after"]["00417"]["prefix"] == "#K"
    assert checked["diff"]["after"]["00417"]["ending"] == 9, "a key the file leaves is kept"

    applied, commands = run(settings, {"src": "/s.kxr", "all": True, "verify": False}, answers)
    assert applied["changed"] is True
    assert commands[1] == ["kx12rctl", "apply", "/s.kxr", "--serial", "00417", "--no-verify",
                           "--json"]


def test_a_refusal_or_a_reader_that_cannot_be_configured_fails_with_the_sentence(run):
    with pytest.raises(Failed) as refused:
        run(settings, {"src": "/s.kxr", "serial": ["00417"]},
            {"compare": compared("different"),
             "apply": written("refused", "Загрузка из файла прервана.")})
    assert refused.value.args[0]["msg"] == "Загрузка из файла прервана."
    assert refused.value.args[0]["readers"][0]["result"] == "refused"
    with pytest.raises(Failed) as old:
        run(settings, {"src": "/s.kxr", "all": True}, {"compare": compared("not_configurable")})
    assert old.value.args[0]["readers"][0]["result"] == "not_configurable"
    with pytest.raises(Failed) as no_database:
        run(settings, {"src": "/s.kxr", "all": True},
            {"compare": lambda command: (4, {}, "Служебная база данных не может быть прочитана.")})
    assert no_database.value.args[0]["status"] == 4


def test_settings_go_through_a_settings_file_in_the_files_words(run):
    seen = {}

    def compare(command):
        with open(file_of(command), "rb") as file:
            seen["text"] = file.read().decode("cp1251")
        return compared("equal")(command)

    run(settings, {"settings": {"variant": 8, "prefix": "#K", "buzzer_off": True},
                   "serial": ["00417"], "demo": True}, {"compare": compare})
    assert seen["text"] == "Variant=8\r\nPrefix=#K\r\nbuZzer_off=1\r\n\r\n"


def test_info_lists_the_readers_and_none_is_an_empty_list(run):
    listed = {"readers": [{"serial": "00417", "configurable": True}]}
    result, commands = run(info, {}, {"list": lambda command: (0, listed, "")})
    assert result["readers"] == listed["readers"]
    assert commands == [["kx12rctl", "list", "--json"]]
    empty, _ = run(info, {}, {"list": lambda command: (3, {"readers": []}, "Нет устройств.")})
    assert empty["readers"] == []
